// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Reading the samples of a 16-bit PCM WAV file into memory, for the wave
// device to play from.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct WavPcm {
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  std::vector<uint8_t> samples;  // whole frames of interleaved 16-bit little-endian samples

  uint32_t FrameBytes() const { return 2u * channels; }
  uint64_t FrameCount() const { return channels ? samples.size() / FrameBytes() : 0; }
};

enum class WavLoadResult {
  Ok,
  NotFound,     // no file by that name
  Unreadable,   // it exists but cannot be read (permissions, I/O error, not a regular file)
  Invalid,      // not a RIFF WAVE file, or not 16-bit PCM at a usable rate and channel count
  OutOfMemory,  // too large to hold
};

// Reads `path`. Accepts format tag 1 (PCM) or the extensible format with the
// PCM sub-format, 16 bits per sample, 1 to 8 channels; chunks other than
// "fmt " and "data" are skipped. A data chunk that claims more bytes than the
// file holds is taken as far as the file goes, and a trailing part frame is
// dropped. On any result but Ok, `pcm` is left empty. The file is only read.
WavLoadResult LoadWavPcm(const std::string& path, WavPcm& pcm);
