# Sourced by the end-to-end scripts: a private X server and helpers to start
# the real zrvplayer in it. Sets $work (removed at exit) and DISPLAY.
work=$(mktemp -d)
xvfb_pid=
player_pid=
wm_pid=
cleanup() {
  [ -n "$player_pid" ] && kill "$player_pid" 2>/dev/null || true
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A private X server on the first free display number, unless the script
# runs inside tests/support/desktop_session.sh, whose display it takes.
if [ -z "${DESKTOP_WORK:-}" ]; then
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=:$(head -n 1 "$work/display")
fi

# start_window_manager: openbox on the display; returns once it has taken
# charge of the screen, fails (saying why) when it does not within 30 s.
start_window_manager() {
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  wm_pid=$!
  local check=
  for _ in $(seq 300); do
    check=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null || true)
    [[ $check == *"window id"* ]] && return 0
    kill -0 "$wm_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "FAILED: openbox did not start" >&2
  cat "$work/openbox.log" >&2
  return 1
}

# start_player BIN_DIR [ARGUMENT...]: the player in English, silent, with its
# desktop files and temporary folder inside $work.
start_player() {
  local bin=$1
  shift
  env LC_ALL=en_US.UTF-8 SDL_AUDIODRIVER=dummy PULSE_SERVER=unix:/nonexistent \
      XDG_DATA_HOME="$work/share" TMP="$work" QT_QPA_PLATFORM=xcb \
      "$bin/zrvplayer" "$@" >"$work/player.log" 2>&1 &
  player_pid=$!
}

# wait_for_window TITLE_REGEX: prints the id of the player's window once it
# is mapped with that title; fails after 10 seconds.
wait_for_window() {
  local window=
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && { echo "$window"; return 0; }
    sleep 0.1
  done
  echo "no window titled '$1' appeared" >&2
  cat "$work/player.log" >&2
  return 1
}

# The title that the X server holds for the window, as window managers show it.
net_wm_name() { xprop -id "$1" _NET_WM_NAME | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p'; }

# wait_for WHAT COMMAND...: runs COMMAND until it prints something (which is
# then printed), for at most 30 seconds; says WHAT failed otherwise.
wait_for() {
  local what=$1 found=
  shift
  for _ in $(seq 300); do
    found=$("$@" 2>/dev/null || true)
    [ -n "$found" ] && { echo "$found"; return 0; }
    sleep 0.1
  done
  echo "FAILED: $what" >&2
  return 1
}
window_named() { xdotool search --onlyvisible --name "$1" | head -n 1; }
window_of_class() { xdotool search --onlyvisible --class "$1" | head -n 1; }
