// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "container/frame_timing.h"

#include <numeric>

namespace {

// a * b / c rounded to nearest, for the sizes a clip can have (the product
// stays far below 2^127: frames < 2^20, samples < 2^34, nanoseconds 2^30).
int64_t MulDivRound(int64_t a, int64_t b, int64_t c) {
  const __int128 product = __int128(a) * b;
  return int64_t((product + c / 2) / c);
}

}  // namespace

int64_t ExportTiming::FrameStartTicks(uint32_t k) const { return FrameStart(k, kVideoTicksPerSecond); }

int64_t ExportTiming::FrameStart(uint32_t k, int64_t ticksPerSecond) const {
  if (!withSound()) return MulDivRound(int64_t(k) * kSilentFrameMs, ticksPerSecond, 1000);
  return MulDivRound(int64_t(k) * soundSamples, ticksPerSecond, int64_t(frames) * sampleRate);
}

int64_t ExportTiming::FrameStartSample(uint32_t k) const {
  if (!withSound()) return 0;
  const __int128 product = __int128(k) * soundSamples;
  return int64_t((product + frames - 1) / frames);
}

double ExportTiming::DurationMs() const {
  if (!withSound()) return double(frames) * kSilentFrameMs;
  return double(soundSamples) * 1000.0 / double(sampleRate);
}

void ExportTiming::Fps(uint64_t& numerator, uint64_t& denominator) const {
  if (!withSound()) {
    numerator = 1000;
    denominator = kSilentFrameMs;
  } else {
    numerator = uint64_t(frames) * uint64_t(sampleRate);
    denominator = uint64_t(soundSamples);
  }
  const uint64_t divisor = std::gcd(numerator, denominator);
  if (divisor > 1) {
    numerator /= divisor;
    denominator /= divisor;
  }
}

ExportTiming MakeExportTiming(uint32_t frames, int64_t soundSamples, int64_t sampleRate) {
  ExportTiming timing;
  timing.frames = frames;
  // Frames shorter than a millisecond are where the player's own rule gives
  // up the ratio too; such a track (or one of no samples) is not usable.
  const bool usable = frames > 0 && sampleRate > 0 && soundSamples > 0 &&
                      __int128(soundSamples) * 1000 >= __int128(frames) * sampleRate;
  if (usable) {
    timing.soundSamples = soundSamples;
    timing.sampleRate = sampleRate;
  }
  return timing;
}
