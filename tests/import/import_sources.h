// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Videos made by ffmpeg for the import tests, once per test program, and
// independent readings of the clips imported from them: djpeg for frames,
// sox for tracks, ffmpeg's own scaling of the source for comparison.
#pragma once

#include <string>
#include <vector>

#include "tests/export/export_probe.h"

// The test videos, each made when first asked for:
//   mp4.mp4   320 x 240, 25 fps, H.264 + AAC 440 Hz, 3 s
//   webm.webm 320 x 240, 25 fps, VP9 + Opus 660 Hz, 2 s
//   mkv.mkv   320 x 240, 25 fps, MJPEG + FLAC 440 Hz, 2 s
//   mute.mp4  320 x 240, 25 fps, H.264 without sound, 2 s
//   vfr.mkv   grey frames of luma 10 x N (N = 0..19) at irregular times
//   rotated.mp4 the MP4 with a display matrix turning it a quarter
const TempDir& TestVideos();
std::string TestVideo(const std::string& name);

// The number that follows `label` (and any blanks) in `text`; -1 when the
// label is not there.
double NumberAfter(const std::string& text, const std::string& label);

// zrvtool import with these arguments.
ProgramResult Import(const std::vector<std::string>& args);

// The clip's frame count and track as zrvtool info reads them back.
struct ClipFacts {
  int frames = -1;
  std::string layout;
  int soundMs = -1;  // -1 without a track
};
ClipFacts InfoOf(const std::string& clip);

// The clip's track cut out and read by sox: its length in ms, its rate and
// the tone's rough frequency.
struct TrackFacts {
  double lengthMs = -1;
  int rate = 0;
  double frequency = -1;
};
TrackFacts SoxTrack(const TempDir& dir, const std::string& clip);

// Source frame `n` of `video` as ffmpeg decodes, turns and scales it into a
// width x height frame (aspect kept, bars at even offsets), RGB rows.
Bytes FfmpegFittedFrame(const TempDir& dir, const std::string& video, int n, int width, int height);
