#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# The GStreamer plugin against GStreamer's Matroska demuxer on the same clip:
# a 10-minute clip (176 x 144, 8 frames a second, 12.2 kbit/s sound) and the
# MKV that zrvtool export makes of it (the same JPEG frames, FLAC sound).
#   1. demuxing: filesrc ! zrvdemux ! fakesink against
#      filesrc ! matroskademux ! fakesink, whole gst-launch-1.0 processes;
#   2. opening: gst-discoverer-1.0 on each file (typefinding, indexing and
#      the first frame and samples decoded).
# Each pair runs RUNS times (default 15) through bench/side_by_side.py, which
# prints the medians of wall and CPU time and the median of the pair-by-pair
# ratios (target: at most 1.2 x).
#   bench/gst_bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-15}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export GST_PLUGIN_PATH=$build/gst GST_REGISTRY=$work/registry.bin

"$build/bin/zrvtool" make --frames 4800 --fps 8 --sound tone "$work/clip.zrv" >/dev/null
"$build/bin/zrvtool" export "$work/clip.zrv" "$work/clip.mkv" >/dev/null
gst-inspect-1.0 zrvdemux >/dev/null  # the registry, once, outside the timings
printf 'clip %s bytes, MKV %s bytes; load average %s\n' "$(stat -c %s "$work/clip.zrv")" \
  "$(stat -c %s "$work/clip.mkv")" "$(cut -d' ' -f1-3 /proc/loadavg)"

compare() { python3 "$root/bench/side_by_side.py" "$runs" "$@"; }

compare "demux (gst-launch-1.0)" \
  "gst-launch-1.0 -q filesrc location=$work/clip.zrv ! zrvdemux ! fakesink" \
  "gst-launch-1.0 -q filesrc location=$work/clip.mkv ! matroskademux ! fakesink"
compare "open (gst-discoverer-1.0)" "gst-discoverer-1.0 $work/clip.zrv" "gst-discoverer-1.0 $work/clip.mkv"
