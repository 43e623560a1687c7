# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
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

# Types TEXT and Return into the open dialog titled TITLE (a pattern) until
# the dialog closes. A dialog can be mapped before it takes input (seconds
# before, in the sanitizer build), and keys sent then are lost; so while it
# stays open it is typed into again, its field emptied first.
enter_in_dialog() {
  local title=$1 text=$2 dialog attempt
  for attempt in 1 2 3; do
    dialog=$(window_named "$title" 2>/dev/null || true)
    [ -z "$dialog" ] && return 0
    xdotool windowactivate --sync "$dialog" 2>/dev/null || true
    if [ "$attempt" -gt 1 ]; then
      echo "the dialog '$title' is still open: typed into it again" >&2
      xdotool key ctrl+a BackSpace
    fi
    xdotool type --delay 5 "$text"
    xdotool key Return
    for _ in $(seq 100); do
      [ -z "$(window_named "$title" 2>/dev/null || true)" ] && return 0
      sleep 0.1
    done
  done
  echo "FAILED: the dialog '$title' did not take '$text'" >&2
  return 1
}
window_of_class() { xdotool search --onlyvisible --class "$1" | head -n 1; }

# holds_pending_file PID: prints "yes" while PID, or a process below it,
# holds open an output it is still writing in $work (unnamed, "#INODE
# (deleted)", or a hidden name).
holds_pending_file() {
  local fd target folder pids
  folder=$(readlink -f "$work")
  pids=$1
  for _ in 1 2 3; do pids="$1 $(for p in $pids; do pgrep -P "$p"; done | tr '\n' ' ')"; done
  for fd in $(for p in $pids; do echo /proc/"$p"/fd/*; done); do
    target=$(readlink "$fd" 2>/dev/null) || continue
    case $target in
      "$folder"/\#*" (deleted)" | "$folder"/.*) echo yes; return 0 ;;
    esac
  done
  return 0
}

# signal_during_conversion BIN_DIR PROGRAM TITLE DIALOG INPUT SIGNAL [nohup]:
# starts the converter PROGRAM alone, in English, with INPUT in its list,
# puts the keyboard on "Add files..." (opening its dialog titled DIALOG and
# closing it), presses Convert and, once the conversion holds its
# output open, sends SIGNAL. The program must end by that signal within a
# second and leave $work's names as they were. With "nohup" it starts with
# SIGHUP ignored: a hangup first changes nothing, then SIGNAL ends it.
signal_during_conversion() {
  local bin=$1 program=$2 title=$3 dialog=$4 input=$5 signal=$6 ignore=${7:-} before after window pid status
  before=$(ls -a "$work")
  # Job control, so that the program does not start with SIGINT ignored as
  # a script's background commands do.
  set -m
  if [ "$ignore" = nohup ]; then
    env LC_ALL=en_US.UTF-8 TMP="$work" QT_QPA_PLATFORM=xcb nohup "$bin/$program" "$input" >"$work/signal.log" 2>&1 &
  else
    env LC_ALL=en_US.UTF-8 TMP="$work" QT_QPA_PLATFORM=xcb "$bin/$program" "$input" >"$work/signal.log" 2>&1 &
  fi
  pid=$!
  set +m
  window=$(wait_for "no window titled '$title' appeared" window_named "^$title\$")
  sleep 0.5
  xdotool mousemove --window "$window" 50 22 click 1
  wait_for "the $dialog dialog did not open" window_named "^$dialog\$" >/dev/null
  sleep 0.5
  xdotool key Escape
  # The input's facts are read by now (Convert waits for them).
  sleep 2
  xdotool windowactivate --sync "$window" 2>/dev/null || true
  xdotool key shift+Tab space
  wait_for "$program never held its output open" holds_pending_file "$pid" >/dev/null
  # Some way into the conversion: the import does not yet interrupt the
  # reopening of its input that follows the output's creation.
  sleep 1
  if [ "$ignore" = nohup ]; then
    kill -HUP "$pid"
    sleep 1
    [ -n "$(holds_pending_file "$pid")" ] || { echo "FAILED: $program stopped at a hangup it was started to ignore"; return 1; }
  fi
  local start=$(date +%s%N)
  kill -"$signal" "$pid"
  status=0
  wait "$pid" || status=$?
  local took=$(( ($(date +%s%N) - start) / 1000000 ))
  echo "$program, SIG$signal${ignore:+ (after an ignored hangup)}: ended in $took ms with status $status"
  [ "$status" -eq $((128 + $(kill -l "$signal"))) ] || { echo "FAILED: not ended by SIG$signal"; cat "$work/signal.log"; return 1; }
  [ "$took" -le 1000 ] || { echo "FAILED: it took more than a second"; return 1; }
  rm -f "$work/signal.log"
  after=$(ls -a "$work")
  [ "$after" = "$before" ] || { echo "FAILED: it left $(comm -13 <(echo "$before") <(echo "$after") | tr '\n' ' ')"; return 1; }
}
