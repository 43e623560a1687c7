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
