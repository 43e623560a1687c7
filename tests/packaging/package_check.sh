#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# The Debian packages: cpack builds them from the build folder (the player's
# and one for each plugin); their names, control fields and files are
# checked, lintian must report no error, the plugins unpacked from
# them load in their hosts, and the programs unpacked from the player's
# (dpkg-deb -x) make and read a clip.
#   package_check.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/installed_tree.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
arch=$(dpkg --print-architecture)
deb_of() { echo "$work/out/${1}_${version}-1_${arch}.deb"; }
deb=$(deb_of zrvplayer)

# One package for the player and one for each plugin that was built; the KDE
# plugin's exactly when its install component has files.
packages=(zrvplayer gstreamer1.0-zrv)
[ -e "$build/vlc/libzrv_plugin.so" ] && packages+=(vlc-plugin-zrv)
rm -rf "$work/kde"
cmake --install "$build" --component kde --prefix "$work/kde" >/dev/null 2>&1 || true
[ -n "$(find "$work/kde" -type f 2>/dev/null)" ] && packages+=(kio-thumbnail-zrv)
made=$(cd "$work/out" && ls ./*.deb | sed 's|^\./||' | sort | tr '\n' ' ')
expected=$(for p in "${packages[@]}"; do basename "$(deb_of "$p")"; done | sort | tr '\n' ' ')
[ "$made" = "$expected" ] || fail "packages made: $made; expected: $expected"

field() { dpkg-deb -f "${2:-$deb}" "$1"; }
for p in "${packages[@]}"; do
  d=$(deb_of "$p")
  [ "$(field Package "$d")" = "$p" ] || fail "Package: $(field Package "$d")"
  [ "$(field Version "$d")" = "${version}-1" ] || fail "$p Version: $(field Version "$d")"
  [ -n "$(field Description "$d")" ] || fail "$p has no description"
  # Every file lies under /usr, with the package's own copyright.
  dpkg-deb -c "$d" | awk '{print $6}' >"$work/files"
  grep -v '^\./$' "$work/files" | grep -v '^\./usr' && fail "$p: files outside /usr"
  grep -qxF "./usr/share/doc/$p/copyright" "$work/files" || fail "$p has no copyright file"
  lintian --fail-on error "$d" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log"; fail "lintian on $p"; }
  cat "$work/lintian.log"
done

# Dependencies come from the libraries the programs are linked with; the
# player pulls in neither GStreamer nor VLC, and suggests the plugins.
for library in libc6 libqt6widgets6 libjpeg62-turbo libpng16-16 libopencore-amrnb0 libsdl2-2.0-0; do
  field Depends | grep -qE "(^|, )$library( |,|$)" || fail "Depends lacks $library: $(field Depends)"
done
field Depends | grep -qE "gstreamer|vlc|libkf5" && fail "the player depends on a plugin host: $(field Depends)"
[ "$(field Recommends)" = libfile-mimeinfo-perl ] || fail "the player recommends: $(field Recommends)"
for p in "${packages[@]:1}"; do
  field Suggests | grep -qE "(^|, )$p(,|$)" || fail "the player does not suggest $p: $(field Suggests)"
done
gst_deb=$(deb_of gstreamer1.0-zrv)
field Depends "$gst_deb" | grep -qE "(^|, )libgstreamer1.0-0 " || fail "gstreamer1.0-zrv Depends: $(field Depends "$gst_deb")"

dpkg-deb -x "$deb" "$work/root"
check_tree "$work/root/usr" /usr "$build"
[ -e "$work/root$(pkg-config --variable=pluginsdir gstreamer-1.0)" ] && fail "the player package holds the GStreamer plugin"
dpkg-deb -x "$gst_deb" "$work/root"
[ -f "$work/root$(pkg-config --variable=pluginsdir gstreamer-1.0)/libgstzrv.so" ] ||
  fail "the plugin is not in GStreamer's plugin folder"
check_plugin "$work/root/usr" "$work"
gzip -dc "$work/root/usr/share/doc/zrvplayer/changelog.Debian.gz" | head -n 1 |
  grep -qF "zrvplayer (${version}-1)" || fail "the changelog does not start with this version"

# The VLC module's package: built for VLC's plugin ABI, and VLC's plugin
# cache refreshed when it is installed or removed.
if [ -e "$build/vlc/libzrv_plugin.so" ]; then
  vlc_deb=$(deb_of vlc-plugin-zrv)
  abi=$(grep -o 'MODULE_SYMBOL [0-9a-z_]*' "$(pkg-config --variable=includedir vlc-plugin)/vlc/plugins/vlc_plugin.h" |
    cut -d' ' -f2 | tr _ -)
  field Depends "$vlc_deb" | grep -qE "(^|, )vlc-plugin-abi-$abi(,|$)" || fail "vlc-plugin-zrv Depends: $(field Depends "$vlc_deb")"
  field Depends "$vlc_deb" | grep -qE "(^|, )libvlccore[0-9]+ " || fail "vlc-plugin-zrv Depends: $(field Depends "$vlc_deb")"
  dpkg-deb --ctrl-tarfile "$vlc_deb" | tar -xO ./triggers |
    grep -qxF "activate-noawait $(pkg-config --variable=pluginsdir vlc-plugin)" || fail "vlc-plugin-zrv has no cache trigger"
  dpkg-deb -x "$vlc_deb" "$work/root"
  check_vlc_module "$work/root/usr" "$work"
fi

# The unpacked programs at work.
tool="$work/root/usr/bin/zrvtool"
"$tool" make --frames 24 --sound tone "$work/clip.zrv"
"$tool" info "$work/clip.zrv" | grep -qE '^frames: +24$' || fail "zrvtool info: $("$tool" info "$work/clip.zrv")"
"$tool" thumbnail -s 128 "$work/clip.zrv" "$work/clip.png"
size=$(convert "$work/clip.png" -format '%wx%h' info:)
[ "$size" = 128x105 ] || fail "the thumbnail is $size"
# The export runs in the program beside the unpacked zrvtool.
"$tool" export "$work/clip.zrv" "$work/clip.mkv"
[ "$(ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets \
      -of csv=p=0 "$work/clip.mkv")" = 24 ] || fail "the unpacked zrvtool export"
echo "package $(basename "$deb"): ok"
