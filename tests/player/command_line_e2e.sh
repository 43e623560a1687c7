#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# The real zrvplayer's command line: --help and --version print and end
# without a display; without one it refuses to start in one line; an unknown
# option is refused in one escaped line; after
# "--" a file whose name begins with "-" is opened, in a real X server.
#   command_line_e2e.sh BIN_DIR
set -euo pipefail
bin=$(cd "$1" && pwd)
failed=0
fail() { echo "FAILED: $*"; failed=$((failed + 1)); }

# No display at all: Qt would abort if anything reached for one.
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$bin/zrvplayer" "$@"; }
for option in --help -h; do
  out=$(nodisplay "$option" 2>&1) || fail "zrvplayer $option ends with status $?"
  grep -q '^usage: zrvplayer \[--\] \[FILE\]$' <<<"$out" || fail "zrvplayer $option prints: $out"
done
out=$(nodisplay --version 2>&1) || fail "zrvplayer --version ends with status $?"
[[ "$out" =~ ^zrvplayer\ [0-9]+\.[0-9]+$ ]] || fail "zrvplayer --version prints: $out"
status=0
err=$(nodisplay $'-\e[2J.zrv' 2>&1 >/dev/null) || status=$?
[ "$status" -eq 2 ] || fail "an unknown option ends with status $status"
[ "$(printf '%s' "$err" | wc -l)" -eq 0 ] && [[ "$err" == *"'-\\x1b[2J.zrv'"* ]] ||
  fail "the refusal of an unknown option reads: $err"

# Started without a display, or with one that is not there: one line that
# says what it needs, status 1, not Qt's abort.
for display in "" ":97"; do
  status=0
  err=$(env -u WAYLAND_DISPLAY DISPLAY="$display" QT_QPA_PLATFORM=xcb "$bin/zrvplayer" 2>&1 >/dev/null) || status=$?
  [ "$status" -eq 1 ] || fail "without a display (DISPLAY='$display') zrvplayer ends with status $status: $err"
  [ "$(printf '%s' "$err" | wc -l)" -eq 0 ] && [[ "$err" == *"graphical session"*"zrvtool"* ]] ||
    fail "without a display (DISPLAY='$display') zrvplayer says: $err"
done

# In an X server: "--" and a file named "-x.zrv", opened from its folder.
source "$(dirname "$0")/x_session.sh"
"$bin/zrvtool" make --frames 12 "$work/-x.zrv"
cd "$work"
start_player "$bin" -- -x.zrv
window=$(wait_for_window '^-x$') || fail "zrvplayer -- -x.zrv did not open the clip"

[ "$failed" -eq 0 ] || exit 1
echo "command line end to end: 1 passed, 0 failed"
