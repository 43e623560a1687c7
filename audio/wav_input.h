// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Reading the samples of a WAV file that zrvtool make is to encode.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct WavInput {
  uint16_t formatTag = 0;  // 1 for PCM (the extensible format's sub-format counts)
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint16_t bitsPerSample = 0;
  std::vector<int16_t> samples;  // only for 16-bit PCM: interleaved, whole frames
};

// Reads a RIFF WAVE file held in `bytes`: its "fmt " chunk and, for 16-bit
// PCM, the samples of its "data" chunk (as far as the file goes). False,
// with `why` set, when it is not a WAV file with both chunks.
bool ParseWav(const std::vector<uint8_t>& bytes, WavInput& wav, std::string& why);
