#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# End to end, in a real X server with a window manager (openbox): what the
# real zrvplayer hands to the desktop.
# - Tool > Video Convert: the companion's window comes up above the player,
#   which is always on top by default; the player is on top again once the
#   companion has ended.
# - The player's window is a normal window, not a modal dialog (xprop).
# - Help > software manual, through a real xdg-open in a desktop of the
#   test's own: the HTML manual goes to the browser when no application
#   opens CHM files, the help file to the CHM viewer when one does; the
#   player steps down below the browser until the user comes back to it.
# - Installed entries (a system data folder) that start this very program:
#   no per-user copies are written.
#   desktop_session_e2e.sh BIN_DIR [SCREENSHOT]
set -euo pipefail
bin=$(cd "$1" && pwd)
keep=${2:-}
source "$(dirname "$0")/x_session.sh"
failed=0
fail() { echo "FAILED: $*"; failed=$((failed + 1)); }

start_window_manager

# A desktop of the test's own for xdg-open: no desktop environment, and the
# data and configuration folders below.
desk="$work/desktop"
mkdir -p "$desk/data/applications" "$desk/system/applications" "$desk/config" "$desk/config-system"
# The system's MIME database without its applications: where mimetype
# (libfile-mimeinfo-perl) is installed, xdg-open types files with it, and
# without a database it takes the manual for text/plain.
ln -s /usr/share/mime "$desk/system/mime"
# record NAME: a program that writes its arguments to $desk/NAME.args.
record() {
  printf '#!/bin/sh\nprintf "%%s\\n" "$@" >"%s/%s.args"\n' "$desk" "$1" >"$desk/$1"
  chmod +x "$desk/$1"
}
# default NAME MIME: NAME's desktop entry, the desktop's choice for MIME.
default() {
  record "$1"
  printf '[Desktop Entry]\nType=Application\nName=%s\nExec=%s %%f\nMimeType=%s;\n' \
    "$1" "$desk/$1" "$2" >"$desk/system/applications/$1.desktop"
  [ -f "$desk/config/mimeapps.list" ] || echo '[Default Applications]' >"$desk/config/mimeapps.list"
  echo "$2=$1.desktop" >>"$desk/config/mimeapps.list"
}
default browser text/html
# The browser shows a window, as a real one does.
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >"%s/browser.args"\nexec xmessage -name manualviewer manual\n' "$desk" >"$desk/browser"

start() {
  env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u KDE_FULL_SESSION -u GNOME_DESKTOP_SESSION_ID \
      LC_ALL=en_US.UTF-8 SDL_AUDIODRIVER=dummy PULSE_SERVER=unix:/nonexistent QT_QPA_PLATFORM=xcb \
      TMP="$work" XDG_DATA_HOME="$desk/data" XDG_DATA_DIRS="$desk/system" \
      XDG_CONFIG_HOME="$desk/config" XDG_CONFIG_DIRS="$desk/config-system" \
      DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent "$bin/zrvplayer" >"$work/player.log" 2>&1 &
  player_pid=$!
  window=$(wait_for_window '^ZRV Player V1.8$')
  wait_until_managed "$window" || fail "the window manager did not take the player's window"
  sleep 0.5
}

# menu X ITEM: opens the menu at X on the menu bar and chooses its ITEM-th item.
menu() {
  xdotool mousemove --window "$window" "$1" 9 click 1
  sleep 0.4
  for _ in $(seq "$2"); do xdotool key Down; done
  xdotool key Return
}
tool_menu=90
help_menu=125

on_top() { xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE; }
# The place of client window $1 in the window manager's stacking, bottom first.
stacking_place() {
  xprop -root _NET_CLIENT_LIST_STACKING | tr -d ',' | awk -v w="$(printf '0x%x' "$1")" '
    { for (i = 5; i <= NF; i++) if ($i == w) print i - 5 }'
}

# wait_until_managed WINDOW: true once the window manager lists the window
# among its clients (at most 10 seconds).
wait_until_managed() {
  for _ in $(seq 100); do
    [ -n "$(stacking_place "$1")" ] && return 0
    sleep 0.1
  done
  return 1
}

start
on_top "$window" || fail "the player is not on top at start"
# The program's main window: a normal one, not a modal dialog.
type=$(xprop -id "$window" _NET_WM_WINDOW_TYPE)
[[ "$type" == *_NET_WM_WINDOW_TYPE_NORMAL* ]] || fail "the player's window type: $type"
xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_MODAL && fail "the player's window is modal"

# Tool > Video Convert.
menu "$tool_menu" 1
convert_window=
for _ in $(seq 100); do
  for w in $(xdotool search --onlyvisible --class ClipConvert 2>/dev/null || true); do convert_window=$w; done
  [ -n "$convert_window" ] && break
  sleep 0.1
done
if [ -z "$convert_window" ]; then
  fail "Video Convert opened no window"
else
  wait_until_managed "$convert_window" || fail "the window manager did not take Video Convert's window"
  # The player gives up staying on top once it has started its companion.
  for _ in $(seq 50); do on_top "$window" || break; sleep 0.1; done
  sleep 0.5
  [ -n "$keep" ] && xwd -root -silent | convert xwd:- "$keep"
  player_place=$(stacking_place "$window")
  convert_place=$(stacking_place "$convert_window")
  echo "stacking, bottom first: player $player_place, Video Convert $convert_place"
  [ -n "$convert_place" ] && [ -n "$player_place" ] && [ "$convert_place" -gt "$player_place" ] ||
    fail "Video Convert's window is not above the player"
  on_top "$window" && fail "the player stayed on top over its companion"
  kill -0 "$wm_pid" 2>/dev/null || { fail "openbox ended during the test"; cat "$work/openbox.log"; }
  convert_pid=$(xprop -id "$convert_window" _NET_WM_PID | awk '{print $3}')
  kill "$convert_pid"
  for _ in $(seq 50); do on_top "$window" && break; sleep 0.1; done
  on_top "$window" || fail "the player is not on top again after its companion ended"
fi

# Help > software manual without a CHM viewer: the HTML, in the browser.
menu "$help_menu" 2
for _ in $(seq 100); do [ -s "$desk/browser.args" ] && break; sleep 0.1; done
opened=$(cat "$desk/browser.args" 2>/dev/null || true)
[ "$opened" = "$bin/manual/index.html" ] || [ "$opened" = "file://$bin/manual/index.html" ] ||
  fail "without a CHM viewer the browser got '$opened', not the HTML manual"
# The player steps down so that the browser comes up above it, and takes its
# place again when the user comes back to it.
viewer=
for _ in $(seq 100); do
  viewer=$(xdotool search --onlyvisible --classname manualviewer 2>/dev/null | tail -n 1 || true)
  [ -n "$viewer" ] && break
  sleep 0.1
done
if [ -z "$viewer" ]; then
  fail "the browser showed no window"
else
  wait_until_managed "$viewer" || fail "the window manager did not take the browser's window"
  for _ in $(seq 50); do on_top "$window" || break; sleep 0.1; done
  sleep 0.5
  on_top "$window" && fail "the player stayed on top over the browser"
  [ "$(stacking_place "$viewer")" -gt "$(stacking_place "$window")" ] ||
    fail "the browser's window is not above the player"
  xdotool windowactivate "$window"
  for _ in $(seq 50); do on_top "$window" && break; sleep 0.1; done
  on_top "$window" || fail "the player is not on top again once the user came back to it"
  kill "$(xprop -id "$viewer" _NET_WM_PID | awk '{print $3}')" 2>/dev/null || true
fi

# With one, the help file in it.
default chmviewer application/vnd.ms-htmlhelp
menu "$help_menu" 2
for _ in $(seq 100); do [ -s "$desk/chmviewer.args" ] && break; sleep 0.1; done
opened=$(cat "$desk/chmviewer.args" 2>/dev/null || true)
[ "$opened" = "$bin/ZRV Player帮助.chm" ] || fail "the CHM viewer got '$opened', not the help file"
kill "$player_pid"; wait "$player_pid" 2>/dev/null || true; player_pid=

# Per-user files: none while the system's entry starts this program.
rm -rf "$desk/data/applications/zrvplayer.desktop"
printf '[Desktop Entry]\nType=Application\nName=ZRV Player\nExec=%s %%f\n' "$bin/zrvplayer" \
  >"$desk/system/applications/zrvplayer.desktop"
start
[ -e "$desk/data/applications/zrvplayer.desktop" ] && fail "a per-user entry beside the system's"
kill "$player_pid"; wait "$player_pid" 2>/dev/null || true; player_pid=
rm "$desk/system/applications/zrvplayer.desktop"
start
grep -qxF "TryExec=$bin/zrvplayer" "$desk/data/applications/zrvplayer.desktop" ||
  fail "no per-user entry with TryExec without the system's"

[ "$failed" -eq 0 ] || exit 1
[ -n "$keep" ] && echo "screenshot: $keep"
echo "desktop session end to end: 1 passed, 0 failed"
