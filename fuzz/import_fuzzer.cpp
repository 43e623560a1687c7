// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Any bytes as a video for the import: its facts read, then imported into a
// small clip. A refusal is fine; an accepted video must give a clip that the
// player's own index reads back with the frames and track the import
// reports, and nothing may be left beside it.
#include <cstdint>
#include <string>

#include "container/frame_index.h"
#include "fuzz/fuzz_support.h"
#include "import/import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string video = ScratchFile("video.bin");
  const std::string clip = ScratchFile("clip.zrv");
  WriteBytes(video, data, size);
  ReadVideoFacts(video);

  ImportOptions options;
  options.width = 32;
  options.height = 24;
  options.fps = 4;
  options.force = true;
  // Time stamps may claim hours: a few seconds are enough to reach the code.
  options.durationSeconds = 3;
  const ImportResult result = ImportVideo(video, clip, options);
  if (!result.ok) {
    Require(!result.error.empty(), "a refusal without a reason");
    return 0;
  }
  const std::vector<uint8_t> bytes = ReadBytes(clip);
  Require(bytes.size() == result.bytes, "the clip's size differs from the reported one");
  FrameIndex index;
  BuildFrameIndex(bytes.data(), uint32_t(bytes.size()), index);
  Require(index.frameCount == result.frames, "the clip's frames differ from the reported count");
  Require(index.hasSound, "the clip has no track");
  Require(result.frames >= 1 && result.duration_ms <= 3000, "the clip is longer than asked");
  return 0;
}
