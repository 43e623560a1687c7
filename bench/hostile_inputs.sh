#!/usr/bin/env bash
# The cost of hostile inputs: small files (at most 1 MiB) whose pictures
# declare sizes that no frame has, run through every zrvtool command that
# reads them, one whole process each. Prints wall time, CPU time and peak
# memory per run; the target is under 3 s and under 512 MB for each.
#   bench/hostile_inputs.sh [BIN_DIR]   (default build/bin)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-$root/build/bin}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# One 16 x 16 frame, its frame header patched to the size asked for.
"$bin/zrvtool" make --frames 1 --size 16x16 seed.zrv >/dev/null
printf 'P6\n16 16\n255\n' >seed.ppm
head -c 768 /dev/urandom >>seed.ppm
cjpeg -progressive seed.ppm >progressive.jpg
python3 - <<'PY'
def patch(data, marker, width, height):
    data = bytearray(data)
    i = data.index(marker)
    data[i + 5:i + 7] = height.to_bytes(2, "big")
    data[i + 7:i + 9] = width.to_bytes(2, "big")
    return bytes(data)
seed = open("seed.zrv", "rb").read()
for w, h in [(8192, 8192), (16000, 16000), (65500, 65500), (65500, 1024)]:
    open(f"clip-{w}x{h}.zrv", "wb").write(patch(seed, b"\xff\xc0", w, h))
open("clip-progressive-8192x8192.zrv", "wb").write(patch(open("progressive.jpg", "rb").read(), b"\xff\xc2", 8192, 8192))
PY

run() {
  local label=$1
  shift
  /usr/bin/time -f "%e %U %S %M" -o time.txt "$bin/zrvtool" "$@" >/dev/null 2>&1 || true
  read -r wall user sys peak < <(tail -n 1 time.txt)
  printf '%-44s %6.2f s wall %6.2f s CPU %7.1f MB\n' "$label" "$wall" "$(echo "$user + $sys" | bc)" \
    "$(echo "scale=1; $peak / 1024" | bc)"
}

for clip in clip-*.zrv; do
  for command in info frame decode render sound; do
    case $command in
      info) run "$clip info" info --json "$clip" ;;
      frame) run "$clip frame" frame "$clip" 0 out.jpg ;;
      decode) run "$clip decode" decode "$clip" 0 out.ppm ;;
      render) run "$clip render (one ShowFrame)" render "$clip" 0 --size 348x216 out.ppm ;;
      sound) run "$clip sound" sound "$clip" out.wav ;;
    esac
  done
  for command in export-mp4 export-mkv thumbnail; do
    "$bin/zrvtool" --help 2>&1 | grep -q "^ *${command%%-*}" || continue
    case $command in
      export-mp4) run "$clip export mp4" export --force "$clip" out.mp4 ;;
      export-mkv) run "$clip export mkv" export --force "$clip" out.mkv ;;
      thumbnail) run "$clip thumbnail" thumbnail "$clip" out.png ;;
    esac
  done
done

# Videos for zrvtool import, at most 1 MiB each: junk, an MP4 cut before its
# index, an MP4 with its index first cut in its data, frames declared beyond
# 8192 x 8192, 30000 tiny frames, and two frames six hours apart. Besides time
# and memory, the bytes written count: at most 64 MB.
if "$bin/zrvtool" --help 2>&1 | grep -q "^ *import"; then
  head -c 1048576 /dev/urandom >junk.mp4
  ffmpeg -v error -y -f lavfi -i testsrc2=size=320x240:rate=25:duration=10 -f lavfi -i sine=duration=10 \
    -c:v libx264 -preset ultrafast -c:a aac full.mp4
  ffmpeg -v error -y -i full.mp4 -c copy -movflags +faststart faststart.mp4
  head -c 500000 full.mp4 >cut-before-index.mp4
  head -c 600000 faststart.mp4 >cut-in-data.mp4
  ffmpeg -v error -y -f lavfi -i color=black:size=8200x8200:rate=1:duration=1 -c:v png huge-frames.mkv
  ffmpeg -v error -y -f lavfi -i color=black:size=16x16:rate=100:duration=300 -c:v ffv1 tiny-frames.mkv
  ffmpeg -v error -y -f lavfi -i color=black:size=16x16:rate=1:duration=2 -vf "setpts=N*21600/TB" \
    -fps_mode passthrough -c:v ffv1 six-hours-apart.mkv
  for video in junk.mp4 cut-before-index.mp4 cut-in-data.mp4 huge-frames.mkv tiny-frames.mkv \
    six-hours-apart.mkv; do
    size=$(stat -c %s "$video")
    [ "$size" -le 1048576 ] || { echo "$video is $size bytes, more than 1 MiB" >&2; exit 1; }
    rm -f out.zrv
    run "$video import" import --force "$video" out.zrv
    written=$( (stat -c %s out.zrv 2>/dev/null || echo 0) | tr -d ' ')
    printf '%-44s %6.1f MB written\n' "" "$(echo "scale=1; $written / 1048576" | bc)"
  done
fi
