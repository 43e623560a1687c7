// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// When each exported frame starts: with sound the frames share the track's
// length exactly (L / n each), without it they last 200 ms.
#pragma once

#include <cstdint>

// Ticks a second of the video time stamps: fine enough that rounding each
// frame's start from the exact ratio keeps the picture within 1/90000 s of
// the sound, whatever the frame count.
inline constexpr int64_t kVideoTicksPerSecond = 90000;
// A frame's length when the clip has no usable sound, as the player shows it.
inline constexpr int64_t kSilentFrameMs = 200;

struct ExportTiming {
  uint32_t frames = 0;
  // Sound samples (per channel) and their rate; 0 when the clip's frames
  // are timed without sound.
  int64_t soundSamples = 0;
  int64_t sampleRate = 0;

  bool withSound() const { return soundSamples > 0 && sampleRate > 0; }
  // Where frame k starts (k may be `frames`: the end), in video ticks,
  // rounded to the nearest tick from the exact ratio.
  int64_t FrameStartTicks(uint32_t k) const;
  // The same in units of 1 / ticksPerSecond s (for instance nanoseconds).
  int64_t FrameStart(uint32_t k, int64_t ticksPerSecond) const;
  // The first sound sample that belongs to frame k or later (k up to `frames`).
  int64_t FrameStartSample(uint32_t k) const;
  double DurationMs() const;
  // Frames per second as a fraction in lowest terms.
  void Fps(uint64_t& numerator, uint64_t& denominator) const;
};

// The timing of a clip of `frames` frames with a converted track of
// `soundSamples` samples at `sampleRate`. A track that is not usable (none,
// soundSamples < 0; no samples; or frames of less than a millisecond) times
// the frames at 200 ms, and the export leaves its sound out.
ExportTiming MakeExportTiming(uint32_t frames, int64_t soundSamples, int64_t sampleRate);
