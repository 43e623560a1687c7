// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tests/gst/gst_clips.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "container/frame_index.h"
#include "tests/audio/amr_tracks.h"

void RequireTestPluginSet() {
  for (const char* name : {"GST_PLUGIN_SYSTEM_PATH_1_0", "GST_PLUGIN_PATH_1_0", "GST_REGISTRY_1_0"})
    if (!std::getenv(name)) FAIL() << name << " is not set: the GStreamer tests run through ctest";
#ifdef ZRV_ASAN_RUNTIME
  // For the programs the tests start: GStreamer's tools keep what they
  // allocate until they end, which is not this plugin's to report.
  setenv("LD_PRELOAD", ZRV_ASAN_RUNTIME, 1);
  setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
#endif
}

std::string MakeClip(const TempDir& dir, const std::string& name, const std::vector<std::string>& options) {
  const std::string path = dir.File(name);
  std::vector<std::string> args = {BuiltProgram("zrvtool"), "make"};
  args.insert(args.end(), options.begin(), options.end());
  args.push_back(path);
  const ProgramResult made = RunProgram(args);
  EXPECT_EQ(made.exitCode, 0) << made.err;
  return path;
}

std::string MakeWideBandClip(const TempDir& dir, const std::string& name, int frames, int milliseconds) {
  const std::string track = dir.File(name + ".awb");
  WriteFile(track, EncodeWideBand(TestSignal(milliseconds, 16000), 8, false));
  return MakeClip(dir, name, {"--frames", std::to_string(frames), "--sound", track});
}

Bytes SoundTrackOf(const std::string& clip) {
  const Bytes bytes = ReadFile(clip);
  FrameIndex index;
  BuildFrameIndex(bytes.data(), uint32_t(bytes.size()), index);
  if (!index.hasSound) return {};
  return Bytes(bytes.begin() + index.audioStart, bytes.end());
}
