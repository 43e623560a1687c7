#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# End to end, in a real X server with a window manager: the real zrvplayer's
# Tool > ZRV Changer starts the real "ZRV Swift Changer.exe" (found by its
# process, with the argument "qorvex"), whose window, driven with the mouse
# and the keyboard, converts a video that ffmpeg makes into a ZRV clip that
# zrvtool reads back. Then the program alone in Chinese shows its Chinese
# title through the window manager.
#   end_to_end.sh BIN_DIR [SCREENSHOT]
set -euo pipefail
bin=$1
keep=${2:-}

# The player's X session: a private X server, $work, start_player.
source "$(dirname "$0")/../player/x_session.sh"
companion_pid=
trap '[ -n "$companion_pid" ] && kill "$companion_pid" 2>/dev/null; cleanup' EXIT
start_window_manager

# A visible window whose _NET_WM_NAME is exactly $1 (xdotool's own matching
# reads the legacy title, which has no Chinese in a C locale).
window_titled() {
  local id
  for id in $(xdotool search --onlyvisible --name 'ZRV'); do
    [ "$(net_wm_name "$id")" = "$1" ] && { echo "$id"; return 0; }
  done
  return 0
}

ffmpeg -v error -f lavfi -i testsrc2=size=320x240:rate=25:duration=3 -f lavfi -i sine=frequency=440:duration=3 \
  -pix_fmt yuv420p -shortest "$work/phone.mp4"

start_player "$bin"
player=$(wait_for_window '^ZRV Player V1.8$')
sleep 0.5

# Tool > ZRV Changer: the menu bar's third title, then its second item.
menu_open() { [ "$(xwininfo -root -tree | grep -c '("zrvplayer" "zrvplayer")')" -ge 2 ] && echo yes; }
xdotool mousemove --window "$player" 96 9 click 1
wait_for "the Tool menu did not open" menu_open >/dev/null
xdotool key Down Down Return

companion=$(wait_for "no window of the ZRV Changer appeared" window_named '^ZRV Changer$')
companion_pid=$(xdotool getwindowpid "$companion")
[ "$(readlink -f "/proc/$companion_pid/exe")" = "$(readlink -f "$bin/ZRV Swift Changer.exe")" ] ||
  { echo "FAILED: the window belongs to $(readlink -f "/proc/$companion_pid/exe")"; exit 1; }
arguments=$(tr '\0' '|' <"/proc/$companion_pid/cmdline")
[ "${arguments#*|}" = "qorvex|" ] || { echo "FAILED: the companion was started as '$arguments'"; exit 1; }
title=$(net_wm_name "$companion")
[ "$title" = "ZRV Changer" ] || { echo "FAILED: the companion's title is '$title'"; exit 1; }
sleep 0.5

# Add files...: the dialog takes the video's path from the keyboard.
xdotool mousemove --window "$companion" 50 22 click 1
wait_for "the Add videos dialog did not open" window_named '^Add videos$' >/dev/null
sleep 0.5
enter_in_dialog '^Add videos$' "$work/phone.mp4"
sleep 0.5

# Back on "Add files...", Shift+Tab goes round to Convert (Cancel and
# "Open output folder" are disabled), and Space presses it.
xdotool windowactivate --sync "$companion" 2>/dev/null || true
xdotool key shift+Tab space
wait_for "no clip was written" sh -c "[ -f '$work/phone.zrv' ] && echo yes" >/dev/null
# The player, which stays on top, is done with: the screenshot shows the companion whole.
kill "$player_pid"
player_pid=
sleep 1
[ -n "$keep" ] && xwd -silent -id "$companion" | convert xwd:- "$keep"

# The clip as our own reader indexes it: 3 s at 8 frames a second, with sound.
info=$("$bin/zrvtool" info "$work/phone.zrv")
echo "$info"
echo "$info" | grep -q '^frames: *24$' || { echo "FAILED: not 24 frames"; exit 1; }
echo "$info" | grep -q '^sound: *AMR' || { echo "FAILED: no AMR track"; exit 1; }
ls -a "$work" | grep -q '^\.phone' && { echo "FAILED: a temporary file was left"; exit 1; }

# Closing it; then the program alone in Chinese.
kill "$companion_pid"
companion_pid=
env LC_ALL=zh_CN.UTF-8 TMP="$work" QT_QPA_PLATFORM=xcb "$bin/ZRV Swift Changer.exe" "$work/phone.mp4" \
  >"$work/changer.log" 2>&1 &
companion_pid=$!
chinese=$(wait_for "no window titled 'ZRV 转换' appeared" window_titled 'ZRV 转换')
[ "$(xdotool getwindowpid "$chinese")" = "$companion_pid" ] || { echo "FAILED: 'ZRV 转换' is another program's"; exit 1; }
[ -n "$keep" ] && sleep 1.5 && xwd -silent -id "$chinese" | convert xwd:- "${keep%.png}-zh.png"

[ -n "$keep" ] && echo "screenshot: $keep"

# A logout, Ctrl-C or kill during a conversion ends the program as "Stop and
# close" does: within a second, by that signal, leaving nothing.
kill "$companion_pid"
while kill -0 "$companion_pid" 2>/dev/null; do sleep 0.1; done
companion_pid=
ffmpeg -v error -f lavfi -i testsrc2=size=640x480:rate=30:duration=60 -c:v libx264 -preset ultrafast \
  "$work/long.mp4"
for signal in TERM INT HUP; do
  signal_during_conversion "$bin" "ZRV Swift Changer.exe" "ZRV Changer" "Add videos" "$work/long.mp4" "$signal"
done
echo "end to end: 2 passed, 0 failed"
