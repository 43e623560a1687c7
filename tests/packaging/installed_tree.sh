# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# Checks shared by the installation and package tests; sourced, not run.
#   check_tree PREFIX_ROOT FINAL_PREFIX BUILD_DIR
# PREFIX_ROOT is where the tree lies now, FINAL_PREFIX the prefix that the
# programs were installed for (the same, or /usr inside an unpacked package).

fail() { echo "FAIL: $*" >&2; exit 1; }

check_tree() {
  local root=$1 final=$2 build=$3
  local expected=(
    bin/zrvplayer bin/zrvtool
    lib/zrvplayer/zrvplayer lib/zrvplayer/zrvtool lib/zrvplayer/zrvtool-export "lib/zrvplayer/ZRV Player帮助.chm"
    lib/zrvplayer/icons/48x48/149.png
    lib/zrvplayer/manual/index.html lib/zrvplayer/manual/en/overview.html lib/zrvplayer/manual/zh/overview.html
    share/applications/zrvplayer.desktop
    share/mime/packages/zrvplayer.xml
    share/thumbnailers/zrvplayer.thumbnailer
    share/metainfo/example.qorvex.zrvplayer.metainfo.xml
    share/man/man1/zrvtool.1.gz share/man/man1/zrvplayer.1.gz
    share/doc/zrvplayer/copyright share/doc/zrvplayer/changelog.Debian.gz
  )
  local size
  for size in 16 22 24 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/zrvplayer.png"
               "share/icons/hicolor/${size}x${size}/mimetypes/video-x-zrv.png"
               "share/icons/hicolor/${size}x${size}/mimetypes/video-x-gzrv.png")
  done
  # The companions are installed when the project builds them.
  [ -e "$build/bin/ClipConvert.exe" ] && expected+=(lib/zrvplayer/ClipConvert.exe)
  [ -e "$build/bin/ZRV Swift Changer.exe" ] && expected+=("lib/zrvplayer/ZRV Swift Changer.exe")
  local f
  for f in "${expected[@]}"; do [ -e "$root/$f" ] || fail "$f is not installed"; done

  # Nothing outside the folders a user expects.
  local top
  top=$(cd "$root" && ls | tr '\n' ' ')
  [ "$top" = "bin lib share " ] || fail "unexpected top-level folders: $top"

  # The commands are relative links to the programs' own folder.
  local program
  for program in zrvplayer zrvtool; do
    [ -L "$root/bin/$program" ] || fail "bin/$program is not a link"
    [ "$(readlink "$root/bin/$program")" = "../lib/zrvplayer/$program" ] ||
      fail "bin/$program links to $(readlink "$root/bin/$program")"
    [ -x "$root/lib/zrvplayer/$program" ] || fail "lib/zrvplayer/$program is not executable"
  done

  desktop-file-validate "$root/share/applications/zrvplayer.desktop" ||
    fail "desktop-file-validate refuses the desktop entry"
  appstreamcli validate --no-net "$root/share/metainfo/example.qorvex.zrvplayer.metainfo.xml" ||
    fail "appstreamcli refuses the metadata"

  # The desktop entry and the thumbnailer name the installed commands.
  grep -qxF "Exec=$(exec_program "$final/bin/zrvplayer") %f" "$root/share/applications/zrvplayer.desktop" ||
    fail "the desktop entry does not start $final/bin/zrvplayer"
  grep -qxF "Exec=$(exec_program "$final/bin/zrvtool") thumbnail -s %s %i %o" \
    "$root/share/thumbnailers/zrvplayer.thumbnailer" ||
    fail "the thumbnailer entry does not run $final/bin/zrvtool"
  grep -qxF "TryExec=$final/bin/zrvplayer" "$root/share/applications/zrvplayer.desktop" ||
    fail "the desktop entry has no TryExec for $final/bin/zrvplayer"
  grep -qxF "MimeType=video/x-zrv;video/x-gzrv;" "$root/share/thumbnailers/zrvplayer.thumbnailer" ||
    fail "the thumbnailer entry lacks the MIME types"

  # GPL version 3 or later, everywhere it is said; the release's date is the
  # one of its changelog entry, whatever the day of the build.
  local metainfo="$root/share/metainfo/example.qorvex.zrvplayer.metainfo.xml"
  grep -qF "<project_license>GPL-3.0-or-later</project_license>" "$metainfo" ||
    fail "the AppStream metadata does not say GPL-3.0-or-later"
  grep -qx "License: GPL-3+" "$root/share/doc/zrvplayer/copyright" || fail "the copyright file does not say GPL-3+"
  grep -qF "/usr/share/common-licenses/GPL-3" "$root/share/doc/zrvplayer/copyright" ||
    fail "the copyright file does not point to the licence's text"
  local released
  released=$(date -u -d "$(sed -n 's/^ -- .*>  //p' "$here/../../res/debian/changelog" | head -n 1)" +%F)
  grep -qF "date=\"$released\"" "$metainfo" || fail "the release date is not $released: $(grep '<release ' "$metainfo")"

  # The MIME package compiles, and *.zrv and *.gzrv come out of it.
  local data mime
  data=$(mktemp -d)
  mime=$data/mime
  mkdir -p "$mime/packages"
  cp "$root/share/mime/packages/zrvplayer.xml" "$mime/packages/"
  update-mime-database "$mime" >/dev/null 2>&1 || fail "update-mime-database refuses the MIME package"
  grep -q ':video/x-zrv:\*\.zrv$' "$mime/globs2" || fail "no *.zrv glob"
  grep -q ':video/x-gzrv:\*\.gzrv$' "$mime/globs2" || fail "no *.gzrv glob"
  # Clips are videos, for players that take video/*; associations stored
  # under the names of earlier releases keep working through the aliases.
  grep -qxF 'application/x-zrv video/x-zrv' "$mime/aliases" || fail "application/x-zrv is no alias of video/x-zrv"
  grep -qxF 'application/x-gzrv video/x-gzrv' "$mime/aliases" || fail "application/x-gzrv is no alias of video/x-gzrv"
  grep -qxF 'video/x-gzrv video/x-zrv' "$mime/subclasses" || fail "GZRV clips are not ZRV clips"
  # What GLib programs and xdg-open (through mimetype) make of a clip whose
  # bytes start as a JPEG picture's: the name decides.
  local clip tool type
  for clip in a.zrv a.gzrv; do
    printf '\xff\xd8\xff\xe0\x00\x10JFIF\x00' >"$data/$clip"
    for tool in gio mimetype; do
      if [ $tool = gio ]; then
        type=$(XDG_DATA_HOME=$data XDG_DATA_DIRS=$data:/usr/share gio info -a standard::content-type "$data/$clip" |
               sed -n 's/^ *standard::content-type: //p')
      else
        type=$(XDG_DATA_HOME=$data XDG_DATA_DIRS=$data:/usr/share mimetype -b "$data/$clip")
      fi
      [ "$type" = "video/x-${clip#a.}" ] || fail "$tool types $clip '$type'"
    done
  done
  rm -rf "$data"
}

# GStreamer's plugin folder relative to its prefix (lib/x86_64-linux-gnu/gstreamer-1.0).
gst_plugin_subdir() {
  local dir prefix
  dir=$(pkg-config --variable=pluginsdir gstreamer-1.0)
  prefix=$(pkg-config --variable=prefix gstreamer-1.0)
  echo "${dir#"$prefix"/}"
}

# The installed plugin loads in GStreamer and plays a clip that the installed
# zrvtool makes: gst-discoverer-1.0 reports its length and sound.
#   check_plugin PREFIX_ROOT WORK_DIR
check_plugin() {
  local root=$1 work=$2
  local plugins="$root/$(gst_plugin_subdir)"
  export GST_PLUGIN_PATH=$plugins GST_REGISTRY=$work/gst-registry.bin
  # GStreamer's tools with a sanitized plugin: the sanitizer's runtime first,
  # and what the tools keep until they end is not the plugin's to report.
  local -a gst=(env)
  [ -n "${ZRV_ASAN_RUNTIME:-}" ] && gst=(env LD_PRELOAD="$ZRV_ASAN_RUNTIME" ASAN_OPTIONS=detect_leaks=0)
  local inspected
  inspected=$("${gst[@]}" gst-inspect-1.0 zrvdemux) || fail "gst-inspect-1.0 does not find zrvdemux"
  grep -qF "$plugins/libgstzrv.so" <<<"$inspected" || fail "zrvdemux is not loaded from $plugins"
  "$root/bin/zrvtool" make --frames 16 --sound tone "$work/plugin.zrv"
  local report
  report=$("${gst[@]}" gst-discoverer-1.0 "$work/plugin.zrv")
  grep -qF "Duration: 0:00:02.000000000" <<<"$report" || fail "gst-discoverer-1.0: $report"
  grep -qF "Sample rate: 8000" <<<"$report" || fail "gst-discoverer-1.0 finds no sound: $report"
  unset GST_PLUGIN_PATH GST_REGISTRY
}

# VLC's plugin folder relative to its prefix (lib/x86_64-linux-gnu/vlc/plugins).
vlc_plugin_subdir() {
  local dir prefix
  dir=$(pkg-config --variable=pluginsdir vlc-plugin)
  prefix=$(pkg-config --variable=prefix vlc-plugin)
  echo "${dir#"$prefix"/}"
}

# The installed VLC module is one VLC takes for a demuxer: vlc-cache-gen
# loads every module of a copy of the folder and lists ours in its cache.
#   check_vlc_module PREFIX_ROOT WORK_DIR
check_vlc_module() {
  local root=$1 work=$2
  local module="$root/$(vlc_plugin_subdir)/demux/libzrv_plugin.so"
  [ -f "$module" ] || fail "the VLC module is not in VLC's demux folder"
  rm -rf "$work/vlc-plugins"
  mkdir -p "$work/vlc-plugins/demux"
  cp "$module" "$work/vlc-plugins/demux/"
  # A sanitized module, never shipped, is not loaded into VLC's own program:
  # the normal build's check does that.
  [ -n "${ZRV_ASAN_RUNTIME:-}" ] && return 0
  "$(dirname "$(pkg-config --variable=pluginsdir vlc-plugin)")/vlc-cache-gen" "$work/vlc-plugins" ||
    fail "vlc-cache-gen fails on the module"
  grep -qa "ZRV clip demuxer" "$work/vlc-plugins/plugins.dat" || fail "VLC does not take the module"
}

# A path as the program of an Exec= line: quoted when it holds a blank (the
# only reserved character the tests' prefixes use).
exec_program() {
  case $1 in
    *' '*) printf '"%s"' "$1" ;;
    *) printf '%s' "$1" ;;
  esac
}
