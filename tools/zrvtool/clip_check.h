// The check that zrvtool make runs on the clip it has written: read back as
// the player reads it, the clip must hold what was asked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/zrvtool/make_frames.h"

// What the clip should hold, for the check after writing.
struct ExpectedClip {
  std::vector<uint32_t> frameOffsets;
  bool sharedHeader = false;
  uint32_t headerLength = 0;
  bool hasSound = false;
  uint32_t audioStart = 0;
};

// Reads the written clip back as the player will and compares. On a
// difference `why` says what makes the player see something else.
bool ScanAgrees(const std::string& path, const ExpectedClip& expected, const FrameSource& source,
                std::string& why);
