#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# Runs COMMAND in a desktop of its own: a private X server (Xvfb) with a window
# manager (openbox), a private session bus and the accessibility bus on it, so
# that Qt programs started inside show their windows to AT-SPI clients.
#   desktop_session.sh [--screen WxH] COMMAND [ARGUMENT...]
# Inside, DISPLAY and DBUS_SESSION_BUS_ADDRESS are those of the private
# desktop, QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 and QT_QPA_PLATFORM=xcb are set,
# and DESKTOP_WORK names a folder that is removed at the end. The exit status
# is COMMAND's.
set -euo pipefail
screen=1280x1024
if [ "${1:-}" = --screen ]; then screen=$2; shift 2; fi
[ $# -ge 1 ] || { echo "usage: desktop_session.sh [--screen WxH] COMMAND [ARGUMENT...]" >&2; exit 2; }

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=:$(head -n 1 "$work/display")
export DESKTOP_WORK=$work QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
# Nothing of the user's own desktop reaches the private one.
unset SESSION_MANAGER XDG_SESSION_TYPE WAYLAND_DISPLAY AT_SPI_BUS_ADDRESS
export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/share
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"

# The session bus starts the accessibility bus (at-spi-bus-launcher) and its
# registry when the first client asks for them; openbox runs inside it.
dbus-run-session -- bash -c '
  openbox --sm-disable >"$DESKTOP_WORK/openbox.log" 2>&1 &
  wm=$!
  for _ in $(seq 300); do
    [[ $(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null) == *"window id"* ]] && break
    sleep 0.1
  done
  if ! kill -0 $wm 2>/dev/null || [[ $(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null) != *"window id"* ]]; then
    echo "openbox did not start" >&2
    cat "$DESKTOP_WORK/openbox.log" >&2
    exit 1
  fi
  status=0
  "$@" || status=$?
  kill $wm 2>/dev/null || true
  exit $status
' desktop_session "$@"
