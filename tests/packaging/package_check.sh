#!/usr/bin/env bash
# The Debian package: cpack builds it from the build folder; its name, control
# fields and files are checked, lintian must report no error, and the
# programs unpacked from it (dpkg-deb -x) make and read a clip.
#   package_check.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/installed_tree.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb="$work/out/zrvplayer_${version}-1_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$work/out"; fail "no $(basename "$deb")"; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = zrvplayer ] || fail "Package: $(field Package)"
[ "$(field Version)" = "${version}-1" ] || fail "Version: $(field Version)"
[ -n "$(field Description)" ] || fail "no description"
# Dependencies come from the libraries the programs are linked with.
for library in libgstreamer1.0-0 libc6 libqt6widgets6 libjpeg62-turbo libpng16-16 libopencore-amrnb0 libsdl2-2.0-0; do
  field Depends | grep -qE "(^|, )$library( |,|$)" || fail "Depends lacks $library: $(field Depends)"
done

# Every file lies under /usr.
dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '^\./$' | grep -v '^\./usr' && fail "files outside /usr"
dpkg-deb -x "$deb" "$work/root"
check_tree "$work/root/usr" /usr "$build"
[ -f "$work/root$(pkg-config --variable=pluginsdir gstreamer-1.0)/libgstzrv.so" ] ||
  fail "the plugin is not in GStreamer's plugin folder"
check_plugin "$work/root/usr" "$work"
gzip -dc "$work/root/usr/share/doc/zrvplayer/changelog.Debian.gz" | head -n 1 |
  grep -qF "zrvplayer (${version}-1)" || fail "the changelog does not start with this version"

lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log"; fail "lintian reports errors"; }
cat "$work/lintian.log"

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
