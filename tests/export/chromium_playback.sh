#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# Exported MP4s played by their real client, a browser: headless Chromium
# loads each into a <video>, seeks, and draws the picture into a canvas. The
# video must load without error, with the clip's size and length, and show
# the colours of the clip's own frame (as djpeg decodes it) at that time, at
# the default quality and at crf 0.
#   chromium_playback.sh BIN_DIR
set -euo pipefail
bin=$(cd "$1" && pwd)
command -v chromium >/dev/null || { echo "chromium is not installed" >&2; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
export HOME=$work/home
mkdir -p "$HOME"

# 40 frames at 8 a second with the tone: 5 s; at 1.0 s frame 8 is shown.
"$bin/zrvtool" make --frames 40 --sound tone "$work/walk.zrv" >/dev/null
"$bin/zrvtool" frame "$work/walk.zrv" 8 "$work/frame8.jpg"
djpeg -pnm "$work/frame8.jpg" >"$work/frame8.ppm"
points="12,12 60,30 100,70 150,120 30,130"

for crf in 20 0; do
  "$bin/zrvtool" export --crf "$crf" "$work/walk.zrv" "$work/walk$crf.mp4"
  cat >"$work/page$crf.html" <<HTML
<!doctype html><html><body><video id="v" src="walk$crf.mp4" muted preload="auto"></video><pre id="out">pending</pre>
<script>
const v = document.getElementById('v'), out = document.getElementById('out');
v.addEventListener('loadedmetadata', () => { v.currentTime = 1.03; });
v.addEventListener('seeked', () => {
  const c = document.createElement('canvas');
  c.width = v.videoWidth; c.height = v.videoHeight;
  const g = c.getContext('2d');
  g.drawImage(v, 0, 0);
  let text = 'ok ' + v.videoWidth + 'x' + v.videoHeight + ' ' + v.duration;
  for (const p of '$points'.split(' ')) {
    const [x, y] = p.split(',').map(Number);
    const d = g.getImageData(x, y, 1, 1).data;
    text += ' ' + d[0] + ',' + d[1] + ',' + d[2];
  }
  out.textContent = text;
});
v.addEventListener('error', () => { out.textContent = 'error ' + v.error.code + ' ' + v.error.message; });
</script></body></html>
HTML
  answer=$(timeout 120 chromium --headless=new --no-sandbox --disable-gpu --allow-file-access-from-files \
             --virtual-time-budget=20000 --dump-dom "file://$work/page$crf.html" 2>/dev/null |
           sed -n 's/.*<pre id="out">\([^<]*\)<.*/\1/p')
  read -r state size duration pixels <<<"$answer" || true
  [ "$state" = ok ] || fail "crf $crf: Chromium says '$answer'"
  [ "$size" = 176x144 ] || fail "crf $crf: Chromium shows $size"
  [ "$duration" = 5 ] || fail "crf $crf: Chromium finds $duration s"
  # The colours at the points, against the clip's frame 8 (within 24 a
  # channel: the picture's own compression and the browser's conversion).
  /usr/bin/python3 - "$work/frame8.ppm" "$points" "$pixels" "$crf" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
header = data.split(b"\n", 3)
width = int(header[1].split()[0])
pixels = header[3]
for point, got in zip(sys.argv[2].split(), sys.argv[3].split()):
    x, y = map(int, point.split(","))
    want = pixels[(y * width + x) * 3:(y * width + x) * 3 + 3]
    got = list(map(int, got.split(",")))
    if max(abs(a - b) for a, b in zip(want, got)) > 24:
        sys.exit(f"FAILED: crf {sys.argv[4]}: Chromium shows {got} at {point}, the clip {list(want)}")
PY
  echo "crf $crf: Chromium plays $size, $duration s, colours as the clip's: $pixels"
done
