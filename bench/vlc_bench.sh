#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# The VLC module against VLC playing the MKV that zrvtool export makes of the
# same clip (the same JPEG frames, FLAC sound): a clip of SECONDS (default 30;
# 320 x 240, 8 frames a second, 12.2 kbit/s sound), played to its end by
#   cvlc --play-and-exit --no-audio --vout dummy FILE
# in real time, as a user plays it. The pair runs RUNS times (default 3)
# through bench/side_by_side.py, which prints the medians of wall and CPU time
# and the median of the pair-by-pair ratios (target: at most 1.0 x CPU).
# VLC refuses to run as root: as root, cvlc runs as the user ZRV_VLC_USER
# (default zrvvlc; make one with `useradd -M zrvvlc`).
#   bench/vlc_bench.sh [BUILD_DIR] [RUNS] [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-3}
seconds=${3:-30}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"

source "$root/bench/vlc_user.sh"
[ -f "$build/vlc/libzrv_plugin.so" ] || { echo "no VLC module in $build/vlc" >&2; exit 1; }

"$build/bin/zrvtool" make --frames $((seconds * 8)) --fps 8 --size 320x240 --sound tone "$work/clip.zrv" >/dev/null
"$build/bin/zrvtool" export "$work/clip.zrv" "$work/clip.mkv" >/dev/null
chmod 644 "$work"/clip.*
printf 'clip %s bytes, MKV %s bytes, %s s each; load average %s\n' "$(stat -c %s "$work/clip.zrv")" \
  "$(stat -c %s "$work/clip.mkv")" "$seconds" "$(cut -d' ' -f1-3 /proc/loadavg)"

vlc=("${vlc_as_user[@]}" env VLC_PLUGIN_PATH="$build/vlc" cvlc --play-and-exit --no-audio --vout dummy --quiet)
python3 "$root/bench/side_by_side.py" "$runs" "play (cvlc)" "${vlc[*]} $work/clip.zrv" "${vlc[*]} $work/clip.mkv"
