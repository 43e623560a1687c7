#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright 2026 ZRV Player developers
# The cost of hostile inputs: small files (at most 1 MiB) made to cost, run
# through every zrvtool command that reads them, one whole process each:
# pictures that declare sizes no frame has, frames that would be rebuilt with
# a large shared header, a sound track of one-byte frames, frames that do not
# decode, a first frame that lies about its size, frames of 1080p; then the
# GStreamer plugin and the VLC module on them. Prints wall
# time, CPU time, peak memory and bytes written (outputs and temporary files
# together) per run; the target is under 3 s, 512 MB and 64 MB for each. A run
# is stopped after 60 s or at 2 GB written.
#   bench/hostile_inputs.sh [BIN_DIR]   (default build/bin)
# CLIPS and COMMANDS (space-separated) choose a part, e.g.
#   CLIPS="nodata.zrv" COMMANDS="info export-mp4" bench/hostile_inputs.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "${1:-$root/build/bin}" && pwd)
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
"$bin/zrvtool" make --frames 2 --size 176x144 walk.zrv >/dev/null
"$bin/zrvtool" frame walk.zrv 0 walk0.jpg
"$bin/zrvtool" make --frames 1 --size 1920x1080 --quality 30 big.zrv >/dev/null
"$bin/zrvtool" frame big.zrv 0 big0.jpg
"$bin/zrvtool" make --frames 6 --size 176x144 lying.zrv >/dev/null
python3 - <<'PY'
frame = open("walk0.jpg", "rb").read()
# 512 KiB of comments in front of the first frame's tables, shared by every
# later frame: 130,081 frames of nothing but FF D8 FF DA fill the MiB.
header = frame[:2] + (b"\xff\xfe\xff\xff" + b"\0" * 65533) * 8 + frame[2:] + b"\xd9"
room = (1 << 20) - len(header)
open("shared-empty.zrv", "wb").write(header + b"\xff\xd8\xff\xda" * (room // 4))
# The same header, then frames that each hold a tiny scan.
tiny = [b"\xff\xd8\xff\xda\x00\x08\x01\x01\x00\x00\x3f\x00" + bytes([k & 0xFF, (k >> 8) & 0x7F])
        for k in range(room // 14)]
open("shared-tiny.zrv", "wb").write(header + b"".join(tiny))
# One frame and 5.6 hours of one-byte NO_DATA sound frames.
open("nodata.zrv", "wb").write(frame + b"#!AMR\n" + b"\x7c" * ((1 << 20) - len(frame) - 6))
# One frame, then frames of FF D8 FF E0 that never decode.
open("undecodable.zrv", "wb").write(frame + b"\xff\xd8\xff\xe0" * (((1 << 20) - len(frame)) // 4))
# A first frame whose header says 176 x 288, then five of 176 x 144.
lying = bytearray(open("lying.zrv", "rb").read())
at = lying.index(b"\xff\xc0")
lying[at + 5:at + 7] = (288).to_bytes(2, "big")
open("lying.zrv", "wb").write(lying)
# 1080p frames, as many as fit in the MiB.
big = open("big0.jpg", "rb").read() + b"\xd9"
open("frames-1080p.zrv", "wb").write(big * ((1 << 20) // len(big)))
PY
rm -f walk.zrv big.zrv

run() {
  local label=$1
  shift
  rm -f out.* time.txt
  # wchar of the shell that waited for the command: everything it wrote.
  local written
  written=$(bash -c 'ulimit -f 4194304; timeout 60 /usr/bin/time -f "%e %U %S %M" -o time.txt "$@" >/dev/null 2>&1; grep ^wchar /proc/$$/io' _ "$bin/zrvtool" "$@" | cut -d" " -f2)
  wall=
  read -r wall user sys peak < <(tail -n 1 time.txt 2>/dev/null) || true
  # Stopped by the time limit: /usr/bin/time was stopped with it.
  [[ $wall =~ ^[0-9.]+$ ]] || { wall=60; user=0; sys=0; peak=0; }
  printf '%-44s %6.2f s wall %6.2f s CPU %7.1f MB %9.1f MB written\n' "$label" "$wall" \
    "$(echo "$user + $sys" | bc)" "$(echo "scale=1; $peak / 1024" | bc)" "$(echo "scale=1; $written / 1000000" | bc)"
}

all_commands="info frame decode render sound export-mp4 export-mkv thumbnail"
for clip in ${CLIPS:-clip-*.zrv shared-empty.zrv shared-tiny.zrv nodata.zrv undecodable.zrv lying.zrv frames-1080p.zrv}; do
  for command in ${COMMANDS:-$all_commands}; do
    case $command in
      info) run "$clip info" info --json "$clip" ;;
      frame) run "$clip frame" frame "$clip" 0 out.jpg ;;
      decode) run "$clip decode" decode "$clip" 0 out.ppm ;;
      render) run "$clip render (one ShowFrame)" render "$clip" 0 --size 348x216 out.ppm ;;
      sound) run "$clip sound" sound "$clip" out.wav ;;
      export-mp4) run "$clip export mp4" export --force "$clip" out.mp4 ;;
      export-mkv) run "$clip export mkv" export --force "$clip" out.mkv ;;
      thumbnail) run "$clip thumbnail" thumbnail "$clip" out.png ;;
    esac
  done
done

# The GStreamer plugin on the same clips, on the damaged families of the fuzz
# targets and on sound of speech gaps: the demuxer alone from a file (pull
# mode) and from a pipe (push mode), playbin with the real decoders, and
# gst-discoverer-1.0 as a file manager or indexer runs it; then a stream of
# 600 MB piped in. Each must end (played or refused) within the bound.
# ZRV_GST_PLUGIN_DIR chooses another build of the plugin (e.g. main's).
plugin_dir=${ZRV_GST_PLUGIN_DIR:-$(dirname "$bin")/gst}
if [ -f "$plugin_dir/libgstzrv.so" ] && command -v gst-launch-1.0 >/dev/null; then
  export GST_PLUGIN_PATH=$plugin_dir GST_REGISTRY=$work/gst-registry.bin
  "$bin/zrvtool" make --frames 3 --size 64x48 --sound tone good.zrv >/dev/null
  python3 - <<'PY'
import os
good = open("good.zrv", "rb").read()
frames = [i for i in range(len(good) - 1) if good[i] == 0xFF and good[i + 1] == 0xD8]
sound = good.index(b"#!AMR")
# Junk between the frames (and a stray FF D8 in it).
junk = bytearray(os.urandom(3000))
junk[100:102] = b"\xff\xd8"
open("gst-junk-between-frames.zrv", "wb").write(good[:frames[1]] + bytes(junk) + good[frames[1]:])
# A track of one-byte frames (no data) filling a MiB.
open("gst-one-byte-frames.zrv", "wb").write(good[:sound] + b"#!AMR\n" + b"\x7c" * ((1 << 20) - sound - 6))
# 49 no-data blocks and one 12.2 kbit/s block, repeated: runs too short to
# be a gap, hours of sound in the MiB.
second = b"\x7c" * 49 + b"\x3c" + bytes(31)
room = (1 << 20) - sound - 6
open("gst-speech-gaps.zrv", "wb").write(good[:sound] + b"#!AMR\n" + second * (room // len(second)))
# Cut inside the first frame's header, and inside the sound's magic.
open("gst-cut-in-header.zrv", "wb").write(good[:300])
open("gst-cut-in-magic.zrv", "wb").write(good[:sound + 3])
# A MiB of FF D8 pairs: a frame every two bytes.
open("gst-all-frame-starts.zrv", "wb").write(b"\xff\xd8" * (1 << 19))
PY
  # gst_run LABEL PROGRAM [ARGUMENT...]: one GStreamer program, timed; its
  # standard input is this function's (a pipe for fdsrc).
  gst_run() {
    local label=$1
    shift
    /usr/bin/time -f "%e %U %S %M" -o time.txt timeout 30 "$@" >gst.out 2>gst.err || true
    read -r wall user sys peak < <(tail -n 1 time.txt)
    [[ $wall =~ ^[0-9.]+$ ]] || { wall=30; user=0; sys=0; peak=0; }
    local outcome=played
    if grep -q "status 124" time.txt; then
      outcome="stopped after 30 s"
    elif grep -q "ERROR" gst.err; then
      outcome="refused: $(grep -m1 -o 'ERROR: .*' gst.err | cut -c1-60)"
    elif grep -qi "error\|timed out" gst.out; then
      outcome="refused: $(grep -m1 -io '\(error\|timed out\).*' gst.out | cut -c1-60)"
    elif grep -q "^Done discovering" gst.out; then
      outcome="discovered $(grep -m1 -o 'Duration: [0-9:.]*' gst.out || true)"
    fi
    printf '%-44s %6.2f s wall %6.2f s CPU %7.1f MB  %s\n' "$label" "$wall" "$(echo "$user + $sys" | bc)" \
      "$(echo "scale=1; $peak / 1024" | bc)" "$outcome"
  }
  for clip in ${CLIPS:-clip-*.zrv shared-empty.zrv shared-tiny.zrv nodata.zrv undecodable.zrv lying.zrv frames-1080p.zrv} \
    gst-*.zrv; do
    gst_run "$clip zrvdemux" gst-launch-1.0 -q filesrc location="$clip" ! zrvdemux ! fakesink
    gst_run "$clip zrvdemux from a pipe" gst-launch-1.0 -q fdsrc ! zrvdemux ! fakesink <"$clip"
    # Files the typefinder does not name clips go GStreamer's own JPEG way in
    # playbin; the element is tried on them behind the decoders directly.
    if gst-typefind-1.0 "$clip" | grep -q 'video/x-zrv'; then
      gst_run "$clip playbin" gst-launch-1.0 -q playbin uri="file://$work/$clip" video-sink=fakesink \
        audio-sink=fakesink
    else
      gst_run "$clip zrvdemux ! decodebin (no clip type)" gst-launch-1.0 -q filesrc location="$clip" \
        ! zrvdemux ! decodebin ! fakesink
    fi
    gst_run "$clip gst-discoverer" gst-discoverer-1.0 -t 30 "file://$work/$clip"
  done
  # 600 MB of one frame again and again, through a pipe: push mode with no
  # size told.
  python3 -c '
import sys
frame = open("good.zrv", "rb").read()
frame = frame[:frame.index(b"#!AMR")]
out = sys.stdout.buffer
for _ in range(600_000_000 // len(frame)):
    out.write(frame)
' 2>/dev/null | gst_run "600 MB piped in, zrvdemux" gst-launch-1.0 -q fdsrc ! zrvdemux ! fakesink || true
fi

# The VLC module on the same clips (and the GStreamer section's damaged
# families when they were made), through cvlc with VLC's own decoders: each
# is played for at most 2 s of its time (--run-time) and must open, play and
# quit, or be refused with one line, within the bound. As root cvlc runs as
# an ordinary user (bench/vlc_user.sh).
vlc_dir=$(dirname "$bin")/vlc
if [ -f "$vlc_dir/libzrv_plugin.so" ] && command -v cvlc >/dev/null; then
  source "$root/bench/vlc_user.sh"
  chmod 755 "$work"
  chmod 644 ./*.zrv
  vlc_run() {
    local clip=$1
    /usr/bin/time -f "%e %U %S %M" -o time.txt timeout 30 "${vlc_as_user[@]}" env VLC_PLUGIN_PATH="$vlc_dir" \
      cvlc --play-and-exit --run-time=2 --vout dummy --aout dummy --no-video-title-show "$clip" \
      >/dev/null 2>vlc.err || true
    read -r wall user sys peak < <(tail -n 1 time.txt)
    local outcome=played
    grep -q "ZRV clip not played" vlc.err && outcome="refused: $(grep -m1 -o 'not played: .*' vlc.err | cut -c13-70)"
    printf '%-44s %6.2f s wall %6.2f s CPU %7.1f MB  %s\n' "$clip cvlc" "$wall" "$(echo "$user + $sys" | bc)" \
      "$(echo "scale=1; $peak / 1024" | bc)" "$outcome"
  }
  for clip in ${CLIPS:-clip-*.zrv shared-empty.zrv shared-tiny.zrv nodata.zrv undecodable.zrv lying.zrv frames-1080p.zrv} \
    gst-*.zrv; do
    [ -f "$clip" ] && vlc_run "$clip"
  done
fi

# Videos for zrvtool import, at most 1 MiB each: junk, an MP4 cut before its
# index, an MP4 with its index first cut in its data, frames declared beyond
# 8192 x 8192, 30000 tiny frames, two frames six hours apart; 24 s of picture
# with one second of sound two hours in (MP4 and MKV), one picture that
# claims an hour, a photo, a JPEG declaring 16384 x 16384, 8192 x 8192 H.264
# skip frames, 8192 x 8192 FFV1, and a picture one pixel wide cropped.
# Besides time and memory, the bytes written count: at most 64 MB.
# IMPORTS (space-separated) chooses a part, e.g. IMPORTS="late-sound.mkv".
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
  ffmpeg -v error -y -f lavfi -i testsrc2=size=160x120:rate=10:duration=24 \
    -f lavfi -i sine=duration=1:sample_rate=44100 -c:v libx264 -preset ultrafast -crf 45 \
    -c:a aac -b:a 16k -bsf:a "setts=ts=TS+7200*44100" late-sound.mp4
  ffmpeg -v error -y -i late-sound.mp4 -c copy late-sound.mkv
  ffmpeg -v error -y -f lavfi -i "testsrc2=size=320x240:rate=1/3600" -frames:v 1 -c:v libx264 \
    -preset ultrafast still-hour.mp4
  ffmpeg -v error -y -f lavfi -i testsrc2=size=64x48 -frames:v 1 photo.jpg
  python3 - <<'PY2'
jpeg = bytearray(open("photo.jpg", "rb").read())
at = jpeg.index(b"\xff\xc0")
jpeg[at + 5:at + 9] = (16384).to_bytes(2, "big") * 2
open("jpeg-16384.jpg", "wb").write(jpeg)
open("raw1x64", "wb").write(bytes(range(64)) * 50)
PY2
  ffmpeg -v error -y -f rawvideo -pix_fmt gray -s 1x64 -r 25 -i raw1x64 -vf setsar=100 -c:v ffv1 one-pixel-wide.mkv
  ffmpeg -v error -y -f lavfi -i color=black:size=8192x8192:rate=25 -frames:v 150 -c:v libx264 \
    -preset ultrafast skip-frames-8192.mp4
  ffmpeg -v error -y -f lavfi -i color=black:size=8192x8192:rate=25 -frames:v 10 -c:v ffv1 ffv1-8192.mkv
  # No videos, but files that make FFmpeg reach other files or the network:
  # a concatenation script naming a private video, one naming a playlist
  # with a file:// address, an HLS playlist, a DASH manifest, an SDP session
  # (which bound two UDP ports for 21 s), plain text. Each must be refused
  # at once; the tests watch them with strace.
  mkdir -p sec
  ffmpeg -v error -y -i full.mp4 -c copy sec/private.ts
  printf 'ffconcat version 1.0\nfile sec/private.ts\n' >concat-script.mp4
  printf '#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:10,\nfile://%s/sec/private.ts\n#EXT-X-ENDLIST\n' "$PWD" \
    >hls-playlist.mp4
  cp hls-playlist.mp4 list.m3u8
  printf 'ffconcat version 1.0\nfile list.m3u8\n' >concat-to-playlist.mp4
  printf '<?xml version="1.0"?>\n<MPD xmlns="urn:mpeg:dash:schema:mpd:2011" type="static" mediaPresentationDuration="PT10S" minBufferTime="PT1S" profiles="urn:mpeg:dash:profile:isoff-on-demand:2011"><Period><AdaptationSet mimeType="video/mp2t"><Representation id="1" bandwidth="1000" width="320" height="240"><BaseURL>file://%s/sec/private.ts</BaseURL></Representation></AdaptationSet></Period></MPD>\n' \
    "$PWD" >dash-manifest.mp4
  printf 'v=0\no=- 0 0 IN IP4 127.0.0.1\ns=x\nc=IN IP4 0.0.0.0\nt=0 0\nm=video 5004 RTP/AVP 96\na=rtpmap:96 H264/90000\n' \
    >sdp-session.mp4
  printf 'Dear all,\nhere are the pictures of the holiday.\n' >notes.txt
  for video in ${IMPORTS:-junk.mp4 cut-before-index.mp4 cut-in-data.mp4 huge-frames.mkv tiny-frames.mkv \
    six-hours-apart.mkv late-sound.mp4 late-sound.mkv still-hour.mp4 photo.jpg jpeg-16384.jpg \
    one-pixel-wide.mkv skip-frames-8192.mp4 ffv1-8192.mkv concat-script.mp4 concat-to-playlist.mp4 \
    hls-playlist.mp4 dash-manifest.mp4 sdp-session.mp4 notes.txt}; do
    size=$(stat -c %s "$video")
    [ "$size" -le 1048576 ] || { echo "$video is $size bytes, more than 1 MiB" >&2; exit 1; }
    rm -f out.zrv
    fit=pad
    [ "$video" = one-pixel-wide.mkv ] && fit=crop
    run "$video import" import --force --fit $fit "$video" out.zrv
    written=$( (stat -c %s out.zrv 2>/dev/null || echo 0) | tr -d ' ')
    printf '%-44s %6.1f MB written\n' "" "$(echo "scale=1; $written / 1048576" | bc)"
  done
fi
