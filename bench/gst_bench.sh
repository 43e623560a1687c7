#!/usr/bin/env bash
# The GStreamer plugin against GStreamer's Matroska demuxer on the same clip:
# a 10-minute clip (176 x 144, 8 frames a second, 12.2 kbit/s sound) and the
# MKV that zrvtool export makes of it (the same JPEG frames, FLAC sound).
#   1. demuxing: filesrc ! zrvdemux ! fakesink against
#      filesrc ! matroskademux ! fakesink, whole gst-launch-1.0 processes;
#   2. opening: gst-discoverer-1.0 on each file (typefinding, indexing and
#      the first frame and samples decoded).
# Runs alternate between the two, RUNS times each (default 7); prints the
# medians of wall and CPU time and their ratios (target: at most 1.2 x).
#   bench/gst_bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-7}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export GST_PLUGIN_PATH=$build/gst GST_REGISTRY=$work/registry.bin

"$build/bin/zrvtool" make --frames 4800 --fps 8 --sound tone "$work/clip.zrv" >/dev/null
"$build/bin/zrvtool" export "$work/clip.zrv" "$work/clip.mkv" >/dev/null
gst-inspect-1.0 zrvdemux >/dev/null  # the registry, once, outside the timings
printf 'clip %s bytes, MKV %s bytes\n' "$(stat -c %s "$work/clip.zrv")" "$(stat -c %s "$work/clip.mkv")"

# Appends "wall cpu" of one run of the command to FILE.
measure() {
  local file=$1
  shift
  /usr/bin/time -f "%e %U %S" -o "$work/time.txt" "$@" >/dev/null 2>&1
  read -r wall user sys <"$work/time.txt"
  echo "$wall $(echo "$user + $sys" | bc)" >>"$file"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

compare() {
  local label=$1 ours=$2 theirs=$3
  local ow oc tw tc
  ow=$(cut -d' ' -f1 "$ours" | median)
  oc=$(cut -d' ' -f2 "$ours" | median)
  tw=$(cut -d' ' -f1 "$theirs" | median)
  tc=$(cut -d' ' -f2 "$theirs" | median)
  printf '%-28s ZRV %6.3f s wall %6.3f s CPU | MKV %6.3f s wall %6.3f s CPU | %.2f x wall, %.2f x CPU\n' \
    "$label" "$ow" "$oc" "$tw" "$tc" "$(echo "scale=4; $ow / $tw" | bc)" "$(echo "scale=4; $oc / $tc" | bc)"
}

for ((i = 0; i < runs; ++i)); do
  measure "$work/demux-zrv" gst-launch-1.0 -q filesrc location="$work/clip.zrv" ! zrvdemux ! fakesink
  measure "$work/demux-mkv" gst-launch-1.0 -q filesrc location="$work/clip.mkv" ! matroskademux ! fakesink
  measure "$work/open-zrv" gst-discoverer-1.0 "$work/clip.zrv"
  measure "$work/open-mkv" gst-discoverer-1.0 "$work/clip.mkv"
done
compare "demux (gst-launch-1.0)" "$work/demux-zrv" "$work/demux-mkv"
compare "open (gst-discoverer-1.0)" "$work/open-zrv" "$work/open-mkv"
