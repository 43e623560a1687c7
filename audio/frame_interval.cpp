// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "audio/frame_interval.h"

#include <cstdint>

namespace {

constexpr uint32_t kLongestRoundedBase = 2000;  // 1000 / 2000 + 0.5 still rounds to 1 fps

uint32_t SilentInterval(SpeedMode speed) {
  switch (speed) {
    case speedQuick: return 100;
    case speedSlow: return 400;
    case speedNormal: break;
  }
  return 200;
}

uint64_t Base(uint32_t soundMs, uint32_t frameCount, SpeedMode speed) {
  switch (speed) {
    case speedQuick: return soundMs / frameCount / 2;
    case speedSlow: return 2 * uint64_t(soundMs) / frameCount;
    case speedNormal: break;
  }
  return soundMs / frameCount;
}

}  // namespace

uint32_t FrameInterval(bool hasSound, uint32_t soundMs, uint32_t frameCount, SpeedMode speed) {
  if (!hasSound || soundMs == kUnknownSoundLength || frameCount == 0) return SilentInterval(speed);
  const uint64_t base = Base(soundMs, frameCount, speed);
  if (base == 0) return 1;
  if (base > kLongestRoundedBase) return base > UINT32_MAX ? UINT32_MAX : uint32_t(base);
  const auto fps = uint32_t(1000.0 / double(base) + 0.5);
  return 1000 / fps;
}
