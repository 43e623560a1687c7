// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// What zrvtool make is asked to write.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MakeRequest {
  uint32_t frames = 40;
  uint32_t width = 176, height = 144;
  uint32_t fps = 8;
  uint32_t quality = 75;
  bool grey = false;
  bool sharedHeader = false;
  std::string sound = "none";
  bool fromJpegs = false;
  std::vector<std::string> jpegs;
  std::string out;

  uint32_t FrameCount() const { return fromJpegs ? uint32_t(jpegs.size()) : frames; }
};
