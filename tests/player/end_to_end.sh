#!/usr/bin/env bash
# End to end, in a real X server: the real zrvplayer opens a clip with sound,
# is played and paused through its own buttons, and each time the picture
# area on screen must be exactly one frame of the clip as zrvtool renders it,
# a later one the second time.
#   end_to_end.sh BIN_DIR [SCREENSHOT]
set -euo pipefail
bin=$1
keep=${2:-}
work=$(mktemp -d)
xvfb_pid=
player_pid=
cleanup() {
  [ -n "$player_pid" ] && kill "$player_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$bin/zrvtool" make --frames 80 --fps 8 --sound tone "$work/clip.zrv"

# A private X server on the first free display number.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n 1 "$work/display")

env LC_ALL=en_US.UTF-8 SDL_AUDIODRIVER=dummy PULSE_SERVER=unix:/nonexistent \
    XDG_DATA_HOME="$work/share" TMP="$work" QT_QPA_PLATFORM=xcb \
    "$bin/zrvplayer" "$work/clip.zrv" >"$work/player.log" 2>&1 &
player_pid=$!

window=
for _ in $(seq 100); do
  window=$(xdotool search --name '^clip$' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the player window did not appear"; cat "$work/player.log"; exit 1; }
sleep 0.5

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
