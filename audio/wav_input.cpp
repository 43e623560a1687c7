// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "audio/wav_input.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) { return Le16(p) | uint32_t(Le16(p + 2)) << 16; }

}  // namespace

bool ParseWav(const std::vector<uint8_t>& bytes, WavInput& wav, std::string& why) {
  const uint8_t* b = bytes.data();
  if (bytes.size() < 12 || std::memcmp(b, "RIFF", 4) != 0 || std::memcmp(b + 8, "WAVE", 4) != 0) {
    why = "is not a WAV file";
    return false;
  }
  bool haveFormat = false;
  size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const uint64_t size = Le32(b + at + 4);
    const uint8_t* body = b + at + 8;
    const size_t available = size_t(std::min<uint64_t>(size, bytes.size() - at - 8));
    if (std::memcmp(b + at, "fmt ", 4) == 0 && available >= 16) {
      wav.formatTag = Le16(body);
      wav.channels = Le16(body + 2);
      wav.sampleRate = Le32(body + 4);
      wav.bitsPerSample = Le16(body + 14);
      // The extensible format names its real format in the sub-format's first two bytes.
      if (wav.formatTag == kFormatExtensible && available >= 26) wav.formatTag = Le16(body + 24);
      haveFormat = true;
    } else if (std::memcmp(b + at, "data", 4) == 0 && haveFormat) {
      if (wav.formatTag == kFormatPcm && wav.bitsPerSample == 16 && wav.channels > 0) {
        const size_t frameBytes = 2u * wav.channels;
        wav.samples.resize(available / frameBytes * wav.channels);
        for (size_t i = 0; i < wav.samples.size(); ++i) wav.samples[i] = int16_t(Le16(body + 2 * i));
      }
      return true;
    }
    at += 8 + size + (size & 1);  // chunks are padded to even sizes
  }
  why = haveFormat ? "is a WAV file without a data chunk" : "is a WAV file without a format chunk";
  return false;
}
