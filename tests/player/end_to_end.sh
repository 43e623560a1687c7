#!/usr/bin/env bash
# End to end, in a real X server: the real zrvplayer opens a clip with sound,
# is played and paused through its own buttons, and each time the picture
# area on screen must be exactly one frame of the clip as zrvtool renders it,
# a later one the second time.
#   end_to_end.sh BIN_DIR [SCREENSHOT]
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

# The client area is 351 x 309 below the menu bar.
eval "$(xdotool getwindowgeometry --shell "$window")"
bar=$((HEIGHT - 309))
click() { xdotool mousemove --window "$window" "$1" "$((bar + $2))" click 1; }
play() { click 229 281; }
pause() { click 274 281; }

# Which frame the picture area shows: the one whose rendering it equals.
shown_frame() {
  xwd -silent -id "$window" >"$work/shot.xwd"
  convert "$work/shot.xwd" -crop "348x216+2+$bar" +repage -depth 8 rgb:"$work/shown.rgb"
  [ -n "$keep" ] && convert "$work/shot.xwd" "$keep"
  for k in $(seq 0 79); do
    "$bin/zrvtool" render "$work/clip.zrv" "$k" --size 348x216 "$work/frame.ppm"
    convert "$work/frame.ppm" -depth 8 rgb:"$work/frame.rgb"
    if cmp -s "$work/shown.rgb" "$work/frame.rgb"; then echo "$k"; return; fi
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
