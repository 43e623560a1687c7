// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Sound that a conversion is still writing while the wave device plays it:
// the track's length is known before its samples are.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <new>

struct StreamedPcm {
  // Room for the whole track, left uninitialised: the pages are touched only
  // as the conversion reaches them, so a long track costs nothing up front.
  StreamedPcm(int channelCount, uint32_t rate, uint64_t frames)
      : channels(uint16_t(channelCount)), sampleRate(rate), frameCount(frames),
        samples(new (std::nothrow) int16_t[frames * uint64_t(channelCount) + 1]) {}

  bool allocated() const { return samples != nullptr; }
  uint32_t FrameBytes() const { return 2u * channels; }

  const uint16_t channels;
  const uint32_t sampleRate;
  const uint64_t frameCount;  // of the whole track
  // Interleaved native-endian samples; frames [0, ready) are final.
  const std::unique_ptr<int16_t[]> samples;
  std::atomic<uint64_t> ready{0};
};
