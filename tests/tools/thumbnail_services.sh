#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# The previews of clips as the desktop's thumbnail services make them, through
# the thumbnailer entry the player writes: tumbler (Thunar's and other
# desktops' service) over D-Bus on a private session bus, and GNOME's
# thumbnail factory. Each preview must show the clip's chosen frame, as
# `zrvtool thumbnail` makes it on its own.
#   thumbnail_services.sh BIN_DIR
set -euo pipefail
bin=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

# A private desktop: its data, cache and configuration inside $work.
export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config
export XDG_DATA_DIRS=/usr/local/share:/usr/share TMPDIR=$work/tmp
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_CONFIG_HOME" "$TMPDIR"
"$bin/zrv_install_desktop" "$XDG_DATA_HOME" "$bin/zrvplayer" "$bin/zrvtool" "$bin/icons"
[ -s "$XDG_DATA_HOME/thumbnailers/zrvplayer.thumbnailer" ] || fail "no thumbnailer entry was written"
if command -v update-mime-database >/dev/null; then update-mime-database "$XDG_DATA_HOME/mime"; fi
# tumbler with its own plugins off but the one that runs thumbnailer entries:
# the GStreamer plugin alone would spend minutes building a registry in the
# fresh cache, and none of them takes clips.
mkdir -p "$XDG_CONFIG_HOME/tumbler"
for plugin in JPEG Raw Pixbuf Cover Ffmpeg Gst Font Poppler Odf Epub; do
  printf '[%sThumbnailer]\nDisabled=true\n\n' "$plugin"
done >"$XDG_CONFIG_HOME/tumbler/tumbler.rc"
printf '[DesktopThumbnailer]\nDisabled=false\nPriority=0\nLocations=\nExcludes=\nMaxFileSize=0\n' \
  >>"$XDG_CONFIG_HOME/tumbler/tumbler.rc"

# A clip whose first frame is black: the preview shows its second frame.
mkdir -p "$work/clips"
"$bin/zrvtool" make --frames 6 --quality 90 "$work/bars.zrv" >/dev/null
"$bin/zrvtool" frame "$work/bars.zrv" 2 "$work/bars2.jpg"
"$bin/zrvtool" frame "$work/bars.zrv" 4 "$work/bars4.jpg"
convert -size 176x144 xc:black -quality 90 "$work/black.jpg"
clip="$work/clips/holiday clip.zrv"
"$bin/zrvtool" make --jpegs "$work/black.jpg" "$work/bars2.jpg" "$work/bars4.jpg" "$clip" >/dev/null
"$bin/zrvtool" thumbnail -s 128 "$clip" "$work/expected.png"
uri=$(/usr/bin/python3 -c 'import pathlib, sys; print(pathlib.Path(sys.argv[1]).as_uri())' "$clip")

# same_picture A B: the two PNGs have one size and differ by less than 2 %
# (root mean square over the three colours).
same_picture() {
  [ "$(identify -format '%wx%h' "$1")" = "$(identify -format '%wx%h' "$2")" ] ||
    fail "$1 is $(identify -format '%wx%h' "$1"), not $(identify -format '%wx%h' "$2")"
  local rmse
  rmse=$( (compare -metric RMSE "$1" "$2" null: 2>&1 || true) | sed 's/.*(\(.*\))/\1/')
  awk -v e="$rmse" 'BEGIN { exit !(e < 0.02) }' || fail "$1 differs from the preview zrvtool makes (RMSE $rmse)"
  # ... and not by chance: the black first frame is far from it.
  convert "$work/black.jpg" -resize "$(identify -format '%wx%h' "$2")!" "$work/black-scaled.png"
  rmse=$( (compare -metric RMSE "$1" "$work/black-scaled.png" null: 2>&1 || true) | sed 's/.*(\(.*\))/\1/')
  awk -v e="$rmse" 'BEGIN { exit !(e > 0.2) }' || fail "$1 shows the black first frame"
}

# tumbler: the queue on the session bus, the preview in the private cache.
answer=$(dbus-run-session -- /usr/bin/python3 "$here/thumbnail_services.py" tumbler "$uri" video/x-zrv) || true
[ "$answer" = ready ] || fail "tumbler: $answer"
cached="$XDG_CACHE_HOME/thumbnails/normal/$(printf '%s' "$uri" | md5sum | cut -d' ' -f1).png"
[ -s "$cached" ] || fail "tumbler reported the preview ready, but $cached is missing or empty"
same_picture "$cached" "$work/expected.png"
echo "tumbler: $(identify -format '%wx%h' "$cached") preview of the second frame"

# GNOME's thumbnail factory (gnome-desktop) runs thumbnailers in a sandbox
# that holds /usr only: as installed, zrvtool lies there. In a mount
# namespace of this test's own, a scratch /usr/local/games takes the
# programs, and the entry names them there, as an installed entry does.
if [ -n "${ZRV_SANITIZED_BUILD:-}" ]; then
  echo "GNOME's factory: not run with a sanitized zrvtool (its sandbox has no /proc for the sanitizer)" >&2
  exit 0
fi
if ! unshare --mount --propagation private true 2>/dev/null; then
  echo "GNOME's factory: not run, no mount namespace can be made here" >&2
  exit 77
fi
export here uri work bin
unshare --mount --propagation private bash -euo pipefail -c '
  mount -t tmpfs tmpfs /usr/local/games
  cp "$bin/zrvtool" /usr/local/games/zrvtool
  rm -rf "$XDG_DATA_HOME/thumbnailers"
  "$bin/zrv_install_desktop" "$XDG_DATA_HOME" /usr/local/games/zrvplayer /usr/local/games/zrvtool "$bin/icons"
  dbus-run-session -- /usr/bin/python3 "$here/thumbnail_services.py" gnome "$uri" video/x-zrv "$work/gnome.png" \
    >"$work/gnome.txt" || true'
answer=$(cat "$work/gnome.txt")
[ "${answer%% *}" = ready ] || fail "GNOME's factory: $answer"
same_picture "$work/gnome.png" "$work/expected.png"
echo "GNOME's factory: $answer"
