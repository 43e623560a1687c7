#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# cmake --install into a prefix with a blank in it: the tree, the validators,
# the manual pages, and the installed player started through its link, which
# must take its own folder (manual, companions, zrvtool) from the real file.
#   install_check.sh BUILD_DIR
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/installed_tree.sh"

work=$(mktemp -d)
player_pid=
cleanup() {
  [ -n "$player_pid" ] && kill "$player_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

prefix="$work/a prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }
check_tree "$prefix" "$prefix" "$build"
[ -f "$prefix/$(gst_plugin_subdir)/libgstzrv.so" ] || fail "the GStreamer plugin is not installed"
check_plugin "$prefix" "$work"
[ -e "$build/vlc/libzrv_plugin.so" ] && check_vlc_module "$prefix" "$work"

# The KDE thumbnail plugin, when the build has one: where KIO looks, and
# alone in the kde component, which a package of its own takes.
if [ -e "$build/qt5plugins/kf5/thumbcreator/zrvthumbnail.so" ]; then
  kde_dir="lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/qt5/plugins/kf5/thumbcreator"
  [ -f "$prefix/$kde_dir/zrvthumbnail.so" ] || fail "the KDE plugin is not in $kde_dir"
  cmake --install "$build" --prefix "$work/kde" --component kde >"$work/kde.log" ||
    { cat "$work/kde.log"; fail "cmake --install --component kde"; }
  # Besides the plugin, only its package's own documents (changelog, copyright).
  kde_files=$(cd "$work/kde" && find . -type f -o -type l | grep -v '^\./share/doc/kio-thumbnail-zrv/' | sort)
  [ "$kde_files" = "./$kde_dir/zrvthumbnail.so" ] || fail "the kde component holds: $kde_files"
fi

# The manual pages render without a warning and document every command and
# every option that zrvtool's own help names.
for page in zrvtool zrvplayer; do
  MANWIDTH=2000 man --warnings -l "$prefix/share/man/man1/$page.1.gz" >"$work/$page.txt" 2>"$work/$page.err"
  [ -s "$work/$page.err" ] && { cat "$work/$page.err"; fail "$page.1 renders with warnings"; }
  grep -q "^NAME" "$work/$page.txt" || fail "$page.1 renders without its sections"
done
tool="$prefix/bin/zrvtool"
commands=$("$tool" --help | sed -n 's/^  \([a-z][a-z]*\) .*/\1/p')
[ -n "$commands" ] || fail "zrvtool --help lists no command"
for command in $commands; do
  grep -qE "^ +$command( |$)" "$work/zrvtool.txt" || fail "zrvtool.1 does not document '$command'"
  for option in $("$tool" "$command" --help | head -n 1 | grep -oE -- '(^| |\[)--?[a-z][a-z-]*' | tr -d ' [' | sort -u); do
    grep -qF -- "$option" "$work/zrvtool.txt" || fail "zrvtool.1 does not document $command $option"
  done
done
for status in 0 1 2; do
  grep -qE "^ +$status( |$)" "$work/zrvtool.txt" || fail "zrvtool.1 does not document exit status $status"
done

# The installed player, started through bin/zrvplayer, registers itself with
# the desktop: what it writes names the folder its real file lies in.
mkdir "$work/data"
env QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy PULSE_SERVER=unix:/nonexistent \
    XDG_DATA_HOME="$work/data" TMP="$work" "$prefix/bin/zrvplayer" >"$work/player.log" 2>&1 &
player_pid=$!
entry="$work/data/applications/zrvplayer.desktop"
thumbnailer="$work/data/thumbnailers/zrvplayer.thumbnailer"
for _ in $(seq 100); do [ -s "$entry" ] && [ -s "$thumbnailer" ] && break; sleep 0.1; done
[ -s "$thumbnailer" ] || { cat "$work/player.log"; fail "the installed player wrote no thumbnailer entry"; }
grep -qxF "Exec=$(exec_program "$prefix/lib/zrvplayer/zrvplayer") %f" "$entry" ||
  fail "the player took its folder from the link: $(grep Exec= "$entry")"
grep -qxF "TryExec=$prefix/lib/zrvplayer/zrvtool" "$thumbnailer" ||
  fail "the thumbnailer does not name the zrvtool beside the player: $(grep TryExec= "$thumbnailer")"
grep -qxF "TryExec=$prefix/lib/zrvplayer/zrvplayer" "$entry" ||
  fail "the per-user entry has no TryExec for the player: $(grep TryExec= "$entry")"
kill "$player_pid"; wait "$player_pid" 2>/dev/null || true; player_pid=

# With the installed entries among the system's data folders, the installed
# player writes no copies of them, and takes back the ones it wrote before.
env QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy PULSE_SERVER=unix:/nonexistent \
    XDG_DATA_HOME="$work/data" XDG_DATA_DIRS="$work/none:$prefix/share" TMP="$work" \
    "$prefix/bin/zrvplayer" >"$work/player.log" 2>&1 &
player_pid=$!
for _ in $(seq 100); do [ -e "$entry" ] || [ -e "$thumbnailer" ] || break; sleep 0.1; done
[ -e "$entry" ] && fail "the per-user entry stays beside the installed one"
[ -e "$thumbnailer" ] && fail "the per-user thumbnailer entry stays beside the installed one"
sleep 1
[ -e "$entry" ] && fail "the installed player wrote a per-user entry"
kill -0 "$player_pid" 2>/dev/null || { cat "$work/player.log"; fail "the installed player did not keep running"; }
echo "installed tree, validators, manual pages and the player's folder: ok"
