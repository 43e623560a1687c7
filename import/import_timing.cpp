// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "import/import_timing.h"

#include <algorithm>
#include <cmath>

ImportTiming MakeImportTiming(double spanMs, double fps, bool withTrack) {
  ImportTiming timing;
  timing.withTrack = withTrack;
  const double span = std::max(0.0, spanMs);
  if (withTrack) {
    timing.lengthMs = std::max<int64_t>(1, int64_t(std::floor(span / double(kAmrFrameMs) + 1e-9))) * kAmrFrameMs;
    timing.frames = uint32_t(std::max<int64_t>(1, std::llround(double(timing.lengthMs) * fps / 1000.0)));
  } else {
    timing.frames = uint32_t(std::max<int64_t>(1, int64_t(std::floor(span / double(kSilentFrameIntervalMs) + 1e-9))));
    timing.lengthMs = int64_t(timing.frames) * kSilentFrameIntervalMs;
  }
  return timing;
}
