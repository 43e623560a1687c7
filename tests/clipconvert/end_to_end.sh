#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# End to end, in a real X server: the real zrvplayer's Tool > Video Convert
# starts the real ClipConvert.exe (found by its process, with the argument
# "qorvex"), whose window, driven with the mouse and the keyboard, converts
# the demo clip into an MP4 file that ffprobe reads whole.
#   end_to_end.sh BIN_DIR [SCREENSHOT]
set -euo pipefail
bin=$1
keep=${2:-}

# The player's X session: a private X server, $work, start_player.
source "$(dirname "$0")/../player/x_session.sh"
companion_pid=
trap '[ -n "$companion_pid" ] && kill "$companion_pid" 2>/dev/null; cleanup' EXIT

# The player in English, silent, with its desktop files and temporary folder
# inside $work; the companion inherits all of it.
start_player "$bin"
player=$(wait_for_window '^ZRV Player V1.8$')
sleep 0.5

# Tool > Video Convert: the menu bar's third title, then its first item. The
# open menu is a second window of the player's class.
menu_open() { [ "$(xwininfo -root -children | grep -c '("zrvplayer" "zrvplayer")')" -ge 2 ] && echo yes; }
xdotool mousemove --window "$player" 96 9 click 1
wait_for "the Tool menu did not open" menu_open >/dev/null
xdotool key Down Return

# The companion's window, and behind it the program the player started.
companion=$(wait_for "no window of ClipConvert.exe appeared" window_of_class 'ClipConvert')
companion_pid=$(xdotool getwindowpid "$companion")
[ "$(readlink -f "/proc/$companion_pid/exe")" = "$(readlink -f "$bin/ClipConvert.exe")" ] ||
  { echo "FAILED: the window belongs to $(readlink -f "/proc/$companion_pid/exe")"; exit 1; }
arguments=$(tr '\0' ' ' <"/proc/$companion_pid/cmdline")
[ "${arguments#* }" = "qorvex " ] || { echo "FAILED: the companion was started as '$arguments'"; exit 1; }
title=$(xdotool getwindowname "$companion")
[ "$title" = "Video Convert" ] || { echo "FAILED: the companion's title is '$title'"; exit 1; }
sleep 0.5

# Add files...: the dialog takes the demo clip's path from the keyboard.
cp "$bin/demo.zrv" "$work/demo.zrv"
xdotool mousemove --window "$companion" 50 22 click 1
wait_for "the Add clips dialog did not open" window_named '^Add clips$' >/dev/null
sleep 0.5
enter_in_dialog '^Add clips$' "$work/demo.zrv"
sleep 0.5

# Convert, beside the clip, as MP4: back on "Add files...", Shift+Tab goes
# round to Convert (Cancel and "Open output folder" are disabled), and Space
# presses it.
xdotool key shift+Tab space
wait_for "no MP4 file was written" sh -c "[ -f '$work/demo.mp4' ] && echo yes" >/dev/null
sleep 1
[ -n "$keep" ] && xwd -silent -id "$companion" | convert xwd:- "$keep"
streams=$(ffprobe -v error -count_packets -show_entries stream=codec_name,codec_type,nb_read_packets \
  -of csv=p=0 "$work/demo.mp4")
echo "demo.mp4 holds: $(echo "$streams" | tr '\n' ' ')"
echo "$streams" | grep -qx 'h264,video,96' || { echo "FAILED: not the demo clip's 96 frames in H.264"; exit 1; }
echo "$streams" | grep -q '^aac,audio,' || { echo "FAILED: no AAC sound"; exit 1; }
[ -n "$keep" ] && echo "screenshot: $keep"

# A logout, Ctrl-C or kill during a conversion ends the program as "Stop and
# close" does: within a second, by that signal, leaving nothing. The player
# and the first window go first, so that nothing covers the new one.
kill "$companion_pid" "$player_pid"
wait "$player_pid" 2>/dev/null || true
while kill -0 "$companion_pid" 2>/dev/null; do sleep 0.1; done
companion_pid=
player_pid=
sox -n -r 8000 -c 1 -b 16 "$work/long.wav" synth 600 sine 300-900
"$bin/zrvtool" make --frames 2000 --size 640x480 --sound "$work/long.wav" "$work/long10min.zrv" >/dev/null
rm "$work/long.wav"
for signal in TERM INT HUP; do
  signal_during_conversion "$bin" ClipConvert.exe "Video Convert" "Add clips" "$work/long10min.zrv" "$signal"
done
signal_during_conversion "$bin" ClipConvert.exe "Video Convert" "Add clips" "$work/long10min.zrv" TERM nohup
echo "end to end: 2 passed, 0 failed"
