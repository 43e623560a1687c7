// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tests/import/import_sources.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace {

// Each test runs in a process of its own: a video is made when a test first
// asks for it.
void MakeVideo(const TempDir& dir, const std::string& name) {
  const std::string picture = "testsrc2=size=320x240:rate=25:duration=";
  if (name == "mp4.mp4")
    Ffmpeg({"-f", "lavfi", "-i", picture + "3", "-f", "lavfi", "-i",
            "sine=frequency=440:sample_rate=44100:duration=3", "-c:v", "libx264", "-preset",
            "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest", dir.File(name)});
  else if (name == "webm.webm")
    Ffmpeg({"-f", "lavfi", "-i", picture + "2", "-f", "lavfi", "-i",
            "sine=frequency=660:sample_rate=48000:duration=2", "-c:v", "libvpx-vp9", "-deadline",
            "realtime", "-cpu-used", "8", "-b:v", "300k", "-c:a", "libopus", "-shortest",
            dir.File(name)});
  else if (name == "mkv.mkv")
    Ffmpeg({"-f", "lavfi", "-i", picture + "2", "-f", "lavfi", "-i",
            "sine=frequency=440:sample_rate=22050:duration=2", "-c:v", "mjpeg", "-q:v", "3",
            "-pix_fmt", "yuvj420p", "-c:a", "flac", "-shortest", dir.File(name)});
  else if (name == "mute.mp4")
    Ffmpeg({"-f", "lavfi", "-i", picture + "2", "-c:v", "libx264", "-preset", "ultrafast",
            "-pix_fmt", "yuv420p", dir.File(name)});
  else if (name == "vfr.mkv")
    // Frame N is grey at luma 10 N; frames 0-9 come every 100 ms, the later
    // ones about every 300 ms from 1 s on.
    Ffmpeg({"-f", "lavfi", "-i", "color=black:size=64x48:rate=10:duration=2", "-vf",
            "geq=lum='10*N':cb=128:cr=128,setpts='if(lt(N,10),N*0.1,1+(N-10)*0.3)/TB'",
            "-fps_mode", "passthrough", "-c:v", "ffv1", dir.File(name)});
  else if (name == "rotated.mp4")
    Ffmpeg({"-i", TestVideo("mp4.mp4"), "-c", "copy", "-metadata:s:v:0", "rotate=90", dir.File(name)});
}

}  // namespace

const TempDir& TestVideos() {
  static TempDir dir;
  return dir;
}

std::string TestVideo(const std::string& name) {
  const std::string path = TestVideos().File(name);
  if (!FileExists(path)) MakeVideo(TestVideos(), name);
  return path;
}


ProgramResult Import(const std::vector<std::string>& args) {
  std::vector<std::string> all = {"import"};
  all.insert(all.end(), args.begin(), args.end());
  return Zrvtool(all);
}

double NumberAfter(const std::string& text, const std::string& label) {
  const size_t at = text.find(label);
  if (at == std::string::npos) return -1;
  const char* start = text.c_str() + at + label.size();
  char* end = nullptr;
  const double value = std::strtod(start, &end);
  return end == start ? -1 : value;
}

ClipFacts InfoOf(const std::string& clip) {
  const ProgramResult r = Zrvtool({"info", clip});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  ClipFacts facts;
  facts.frames = int(NumberAfter(r.out, "frames:"));
  if (r.out.find("layout:  plain") != std::string::npos) facts.layout = "plain";
  if (r.out.find("layout:  shared header") != std::string::npos) facts.layout = "shared header";
  if (r.out.find(" ms of sound") != std::string::npos) facts.soundMs = int(NumberAfter(r.out, "length:"));
  return facts;
}

TrackFacts SoxTrack(const TempDir& dir, const std::string& clip) {
  const Bytes bytes = ReadFile(clip);
  const std::string magic = "#!AMR";
  const auto at = std::search(bytes.begin(), bytes.end(), magic.begin(), magic.end());
  TrackFacts facts;
  if (at == bytes.end()) return facts;
  const bool wide = bytes.end() - at > 8 && std::string(at, at + 8) == "#!AMR-WB";
  const std::string track = dir.File(wide ? "track.amr-wb" : "track.amr-nb");
  WriteFile(track, Bytes(at, bytes.end()));
  const ProgramResult r = RunProgram({"/usr/bin/sox", track, "-n", "stat"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  facts.lengthMs = NumberAfter(r.err, "Length (seconds):") * 1000;
  facts.frequency = NumberAfter(r.err, "Rough   frequency:");
  const ProgramResult rate = RunProgram({"/usr/bin/soxi", "-r", track});
  if (rate.exitCode == 0) facts.rate = std::stoi(rate.out);
  return facts;
}

Bytes FfmpegFittedFrame(const TempDir& dir, const std::string& video, int n, int width, int height) {
  const std::string w = std::to_string(width), h = std::to_string(height);
  const std::string filter = "select=eq(n\\," + std::to_string(n) + "),scale=" + w + ":" + h +
                             ":force_original_aspect_ratio=decrease,pad=" + w + ":" + h +
                             ":trunc((ow-iw)/4)*2:trunc((oh-ih)/4)*2";
  const std::string ppm = dir.File("fitted.ppm");
  Ffmpeg({"-i", video, "-vf", filter, "-frames:v", "1", "-pix_fmt", "rgb24", ppm});
  const Bytes file = ReadFile(ppm);
  // P6 WIDTH HEIGHT 255 and one white-space byte.
  std::istringstream head(std::string(file.begin(), file.begin() + std::min<long>(long(file.size()), 40)));
  std::string magic;
  int fw = 0, fh = 0, maximum = 0;
  head >> magic >> fw >> fh >> maximum;
  EXPECT_EQ(fw, width);
  EXPECT_EQ(fh, height);
  return Bytes(file.begin() + long(head.tellg()) + 1, file.end());
}
