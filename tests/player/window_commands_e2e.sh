#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# End to end, in a real X server, what a modal run of the real zrvplayer does
# with its window: the title without a clip, "always on top" chosen twice from
# the Play menu (the program keeps running, the window keeps its place and
# size, the check mark follows), and a named pipe on the command line (the
# window still comes up at once).
#   window_commands_e2e.sh BIN_DIR
set -euo pipefail
bin=$1
source "$(dirname "$0")/x_session.sh"
failed=0
fail() { echo "FAILED: $*"; failed=$((failed + 1)); }

# The Play menu's popup, once open: a window of the player's own named after
# the program.
capture_popup() {
  local popup
  popup=$(xwininfo -root -children | awk '/"zrvplayer": \("zrvplayer"/ { print $1; exit }')
  if [ -n "$popup" ]; then xwd -silent -id "$popup" | convert xwd:- -depth 8 rgb:"$1"; fi
}

# Chooses Play > always on top with the mouse and the keyboard, saving the
# popup as it looked just before the choice.
choose_on_top() {
  xdotool mousemove --window "$1" 54 9 click 1
  sleep 0.4
  xdotool key Down Down Down
  sleep 0.3
  capture_popup "$2"
  xdotool key Return
  sleep 0.5
}

start_player "$bin"
window=$(wait_for_window '^ZRV Player V1.8$')
sleep 0.5
title=$(net_wm_name "$window")
[ "$title" = "ZRV Player V1.8" ] || fail "the X server holds the title '$title' without a clip"

before=$(xdotool getwindowgeometry "$window" | tail -n 2)
choose_on_top "$window" "$work/menu1.rgb" || true
kill -0 "$player_pid" 2>/dev/null || fail "the program ended when always on top was switched off"
choose_on_top "$window" "$work/menu2.rgb" || true
kill -0 "$player_pid" 2>/dev/null || fail "the program ended when always on top was switched on"
after=$(xdotool getwindowgeometry "$window" 2>/dev/null | tail -n 2 || true)
[ "$before" = "$after" ] || fail "the window moved or changed size: '$before' became '$after'"
# Checked before the first choice, unchecked before the second.
[ -s "$work/menu1.rgb" ] && [ -s "$work/menu2.rgb" ] || fail "the Play menu did not open"
cmp -s "$work/menu1.rgb" "$work/menu2.rgb" && fail "the check mark did not follow the choice"
kill "$player_pid" 2>/dev/null || true
wait "$player_pid" 2>/dev/null || true
player_pid=

# A named pipe that nothing writes to: the window comes up, without the pipe.
mkfifo "$work/pipe.zrv"
start_player "$bin" "$work/pipe.zrv"
if window=$(wait_for_window '^ZRV Player V1.8$'); then
  kill -0 "$player_pid" 2>/dev/null || fail "the program ended on a named pipe"
else
  fail "the player froze on a named pipe given on its command line"
fi

[ "$failed" -eq 0 ] || exit 1
echo "window commands end to end: 1 passed, 0 failed"
