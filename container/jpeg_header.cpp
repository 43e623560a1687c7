// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "container/jpeg_header.h"

namespace {

constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kEndOfImage = 0xD9;

// Markers that stand alone, without a length: TEM and the restart markers.
bool StandsAlone(uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

}  // namespace

size_t JpegHeaderLength(const uint8_t* bytes, size_t size) {
  if (size < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return 0;
  size_t at = 2;
  while (at + 1 < size) {
    if (bytes[at] != 0xFF) return 0;
    if (bytes[at + 1] == 0xFF) {  // a fill byte in front of a marker
      ++at;
      continue;
    }
    const uint8_t marker = bytes[at + 1];
    if (marker == kStartOfScan) return at;
    if (marker == kEndOfImage || marker == 0xD8) return 0;
    if (StandsAlone(marker)) {
      at += 2;
      continue;
    }
    if (at + 4 > size) return 0;
    const size_t length = size_t(bytes[at + 2]) << 8 | bytes[at + 3];
    if (length < 2) return 0;
    at += 2 + length;
  }
  return 0;
}
