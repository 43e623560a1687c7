#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# End to end, in a real X server: the real zrvplayer opens a clip with sound,
# is played and paused through its own buttons, and each time the picture
# area on screen must be exactly one frame of the clip as zrvtool renders it,
# a later one the second time. The buttons and the picture are found through
# the accessibility bus, so the script runs inside desktop_session.sh.
#   desktop_session.sh end_to_end.sh BIN_DIR [SCREENSHOT]
set -euo pipefail
bin=$1
keep=${2:-}
source "$(dirname "$0")/x_session.sh"

"$bin/zrvtool" make --frames 80 --fps 8 --sound tone "$work/clip.zrv"

start_player "$bin" "$work/clip.zrv"
window=$(wait_for_window '^clip$')
sleep 0.5
# The window manager shows exactly the clip's name.
title=$(net_wm_name "$window")
[ "$title" = clip ] || { echo "the X server holds the title '$title', not 'clip'"; exit 1; }

atspi=$(dirname "$0")/../support/atspi_driver.py
play() { "$atspi" press zrvplayer play; }
pause() { "$atspi" press zrvplayer pause; }
# Where the picture area is on the screen, and its size, which follows the font.
read -r px py pw ph < <("$atspi" box zrvplayer picture)

# Which frame the picture area shows: the one whose rendering it equals.
shown_frame() {
  import -silent -window root "$work/shot.png"
  convert "$work/shot.png" -crop "${pw}x${ph}+$px+$py" +repage -depth 8 rgb:"$work/shown.rgb"
  [ -n "$keep" ] && cp "$work/shot.png" "$keep"
  for k in $(seq 0 79); do
    # Each frame is rendered once; its pixels are the PPM file's last bytes.
    [ -f "$work/frame$k.ppm" ] || "$bin/zrvtool" render "$work/clip.zrv" "$k" --size "${pw}x$ph" "$work/frame$k.ppm"
    if tail -c $((pw * ph * 3)) "$work/frame$k.ppm" | cmp -s "$work/shown.rgb" -; then echo "$k"; return; fi
  done
  echo none
}

play; sleep 1.5; pause; sleep 0.3
first=$(shown_frame)
play; sleep 1.5; pause; sleep 0.3
second=$(shown_frame)
echo "frames on screen after each pause: $first, $second"
[ "$first" != none ] && [ "$second" != none ] || { echo "the picture area shows no frame of the clip"; exit 1; }
[ "$first" -ge 2 ] && [ "$second" -gt "$first" ] || { echo "playback did not advance"; exit 1; }
[ -n "$keep" ] && echo "screenshot: $keep"
echo "end to end: 1 passed, 0 failed"
