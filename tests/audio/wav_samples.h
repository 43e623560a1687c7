// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Test WAV files made in code, and reading back what a sound output emitted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

// One chunk to put into a WAV file besides "fmt " and "data".
struct ExtraChunk {
  std::string id;  // four characters
  Bytes body;      // an odd length gets the pad byte
};

// A 16-bit PCM WAV file of interleaved `samples`, with a 16-byte format chunk.
// `before` and `after` chunks go in front of "fmt " and after "data".
Bytes PcmWav(uint16_t channels, uint32_t rate, const std::vector<int16_t>& samples,
             const std::vector<ExtraChunk>& before = {}, const std::vector<ExtraChunk>& after = {});

// Sample i of a file that names its own position: i + 1 (never 0, the value of
// silence), negated on the second channel of a stereo file.
std::vector<int16_t> CountingSamples(uint16_t channels, uint32_t frames);

// Little-endian 16-bit samples from raw bytes.
std::vector<int16_t> Samples16(const Bytes& raw);

// The runs of a counting file's positions in what the output emitted, with
// silence removed: {first frame, frame count} per run of consecutive frames.
struct PositionRun {
  uint32_t first = 0;
  uint32_t count = 0;
};
std::vector<PositionRun> CountingRuns(const std::vector<int16_t>& emitted, uint16_t channels);
