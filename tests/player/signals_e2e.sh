#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# End to end, in a real X server: the real zrvplayer, playing a clip with
# sound, ends on SIGTERM, SIGINT and SIGHUP as closing its
# window does (its private folder removed), and by that signal; a SIGHUP that
# was ignored when it started (nohup) stays ignored; the folder of a player
# killed outright is removed by the next start.
#   signals_e2e.sh BIN_DIR
set -euo pipefail
bin=$1
source "$(dirname "$0")/x_session.sh"
failed=0
fail() { echo "FAILED: $*"; failed=$((failed + 1)); }

"$bin/zrvtool" make --frames 80 --fps 8 --sound tone "$work/clip.zrv"

# start [nohup]: the player on the clip with the three signals at their
# default action (a background job of a script would have SIGINT ignored).
start() {
  env LC_ALL=en_US.UTF-8 SDL_AUDIODRIVER=dummy PULSE_SERVER=unix:/nonexistent \
      XDG_DATA_HOME="$work/share" TMP="$work" QT_QPA_PLATFORM=xcb \
      python3 -c 'import os, signal, sys
for s in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
    signal.signal(s, signal.SIG_DFL)
if sys.argv[1] == "nohup":
    signal.signal(signal.SIGHUP, signal.SIG_IGN)
os.execv(sys.argv[2], sys.argv[2:])' "$1" "$bin/zrvplayer" "$work/clip.zrv" >"$work/player.log" 2>&1 &
  player_pid=$!
  wait_for_window '^clip$' >/dev/null
}

# The private folder of the player `pid`, by its owner mark; empty if none.
folder_of() {
  local owner
  for owner in "$work"/zrvplayer.*/owner; do
    [ -f "$owner" ] && [ "$(cut -d' ' -f1 "$owner")" = "$1" ] && { dirname "$owner"; return 0; }
  done
  return 0
}

# Waits up to 10 s for `pid` to end, then kills it: $ms, the milliseconds it
# took (reported, not judged: a loaded machine or the sanitizers slow it down;
# a player that ignores the signal never ends), and $status, its exit status.
wait_for_end() {
  local start pid=$1
  start=$(date +%s%N)
  for _ in $(seq 1000); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.01
  done
  ms=$((($(date +%s%N) - start) / 1000000))
  kill -s KILL "$pid" 2>/dev/null || true  # one that did not end
  status=0
  wait "$pid" 2>/dev/null || status=$?
}

for signal in TERM INT HUP; do
  start default
  folder=$(folder_of "$player_pid")
  [ -n "$folder" ] || { fail "SIG$signal: the player made no marked folder"; folder=$(ls -d "$work"/zrvplayer.* | head -n 1); }
  [ -f "$folder/zrvplayer_tmp.wav" ] || fail "SIG$signal: the clip's sound was not converted"
  kill -s "$signal" "$player_pid"
  wait_for_end "$player_pid"
  player_pid=
  echo "SIG$signal: ended after $ms ms, exit status $status"
  [ "$ms" -lt 10000 ] || fail "SIG$signal: the player did not end"
  [ "$status" -eq $((128 + $(kill -l "$signal"))) ] || fail "SIG$signal: exit status $status"
  [ -e "$folder" ] && fail "SIG$signal: the private folder is left"
done

# Under nohup a hangup does nothing; SIGTERM still ends the player.
start nohup
kill -s HUP "$player_pid"
sleep 1.5
if kill -0 "$player_pid" 2>/dev/null; then
  kill -s TERM "$player_pid"
  wait_for_end "$player_pid"
  echo "nohup: SIGHUP ignored; SIGTERM ended it after $ms ms"
  [ "$ms" -lt 10000 ] || fail "under nohup SIGTERM did not end the player"
else
  fail "a SIGHUP ignored at start ended the player"
fi
player_pid=

# Killed outright, the player leaves its folder; the next start removes it.
start default
killed=$(folder_of "$player_pid")
kill -s KILL "$player_pid"
wait "$player_pid" 2>/dev/null || true
[ -d "$killed" ] || fail "the killed player's folder was not there to be removed"
start default
[ -e "$killed" ] && fail "the next start left the killed player's folder"
[ -n "$(folder_of "$player_pid")" ] || fail "the next start has no folder of its own"
kill -s TERM "$player_pid"
wait_for_end "$player_pid"
player_pid=
[ -z "$(ls -d "$work"/zrvplayer.* 2>/dev/null)" ] || fail "folders are left: $(ls -d "$work"/zrvplayer.*)"

[ "$failed" -eq 0 ] || exit 1
echo "signals end to end: 1 passed, 0 failed"
