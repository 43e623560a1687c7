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
# Each pair runs in turn (ZRV, MKV, ZRV, MKV, ...) after one warm-up run
# each, RUNS times (default 15). Every run is timed as a whole process from
# the kernel's own accounting (wall clock, and user plus system time of the
# process and all its threads, in microseconds). Prints the medians of wall
# and CPU time and the median of the pair-by-pair ratios (target: at most
# 1.2 x), which holds up better than a ratio of medians when the machine's
# speed drifts.
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

# compare LABEL 'ZRV COMMAND' 'MKV COMMAND'
compare() {
  python3 - "$runs" "$@" <<'PY'
import os, shlex, statistics, subprocess, sys, time

runs, label, ours, theirs = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]

def run(command):
    """Wall and CPU seconds of one run, from the kernel's accounting."""
    start = time.perf_counter()
    child = subprocess.Popen(shlex.split(command), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    if status != 0:
        sys.exit(f"{command}: exit status {status}")
    return wall, usage.ru_utime + usage.ru_stime

run(ours), run(theirs)  # warm-up: caches, registry, page cache
a, b = [], []
for _ in range(runs):
    a.append(run(ours))
    b.append(run(theirs))
med = statistics.median
ratio = lambda i: med(x[i] / y[i] for x, y in zip(a, b))
print(f"{label:<28} ZRV {med(x[0] for x in a):6.3f} s wall {med(x[1] for x in a):6.3f} s CPU | "
      f"MKV {med(x[0] for x in b):6.3f} s wall {med(x[1] for x in b):6.3f} s CPU | "
      f"{ratio(0):.2f} x wall, {ratio(1):.2f} x CPU")
PY
}

compare "demux (gst-launch-1.0)" \
  "gst-launch-1.0 -q filesrc location=$work/clip.zrv ! zrvdemux ! fakesink" \
  "gst-launch-1.0 -q filesrc location=$work/clip.mkv ! matroskademux ! fakesink"
compare "open (gst-discoverer-1.0)" "gst-discoverer-1.0 $work/clip.zrv" "gst-discoverer-1.0 $work/clip.mkv"
