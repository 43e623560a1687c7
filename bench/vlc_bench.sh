#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# The VLC module against VLC playing the MKV that zrvtool export makes of the
# same clip (the same JPEG frames, FLAC sound): a clip of SECONDS (default 30;
# 320 x 240, 8 frames a second, 12.2 kbit/s sound), played to its end by
#   cvlc --play-and-exit --no-audio --vout dummy FILE
# in real time, as a user plays it. The pair runs in turn (ZRV, MKV, ...)
# after one warm-up run each, RUNS times (default 3), each timed as a whole
# process from the kernel's accounting. Prints the medians of wall and CPU
# time and the median of the pair-by-pair CPU ratios (target: at most 1.0 x).
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
python3 - "$runs" "${vlc[*]} $work/clip.zrv" "${vlc[*]} $work/clip.mkv" <<'PY'
import os, shlex, statistics, subprocess, sys, time

runs, ours, theirs = int(sys.argv[1]), sys.argv[2], sys.argv[3]

def run(command):
    """Wall and CPU seconds of one run, from the kernel's accounting."""
    start = time.perf_counter()
    child = subprocess.Popen(shlex.split(command), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    if status != 0:
        sys.exit(f"{command}: exit status {status}")
    return wall, usage.ru_utime + usage.ru_stime

run(ours), run(theirs)  # warm-up: plugin cache, page cache
a, b = [], []
for _ in range(runs):
    a.append(run(ours))
    b.append(run(theirs))
med = statistics.median
ratio = lambda i: med(x[i] / y[i] for x, y in zip(a, b))
print(f"{'play (cvlc)':<16} ZRV {med(x[0] for x in a):6.2f} s wall {med(x[1] for x in a):6.3f} s CPU | "
      f"MKV {med(x[0] for x in b):6.2f} s wall {med(x[1] for x in b):6.3f} s CPU | "
      f"{ratio(0):.2f} x wall, {ratio(1):.2f} x CPU")
PY
