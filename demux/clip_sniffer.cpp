// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "demux/clip_sniffer.h"

#include <algorithm>
#include <cstring>

namespace {

// How far into a stream the first picture is looked for: a picture of a
// phone clip is a few kilobytes, a large photograph a few megabytes.
constexpr uint64_t kSniffLimit = 16u << 20;
constexpr uint32_t kScanChunk = 4096;
// More marker segments in front of a scan than any encoder writes.
constexpr int kMaxSegments = 512;

bool IsFrameHeader(uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Markers that stand alone, without a length.
bool IsStandalone(uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8); }

// Up to `wanted` bytes at `offset`: the largest power-of-two share that is
// there, down to `least`. Sets `got`.
const uint8_t* PeekSome(const PeekBytes& peek, uint64_t offset, uint32_t wanted, uint32_t least,
                        uint32_t& got) {
  for (uint32_t size = wanted;; size = std::max(size / 2, least)) {
    if (const uint8_t* p = peek(offset, size)) {
      got = size;
      return p;
    }
    if (size <= least) break;
  }
  got = 0;
  return nullptr;
}

}  // namespace

JpegStart ReadJpegStart(const PeekBytes& peek, uint64_t offset, uint64_t limit) {
  JpegStart start;
  const uint8_t* soi = peek(offset, 2);
  if (!soi || soi[0] != 0xFF || soi[1] != 0xD8) return start;
  uint64_t pos = offset + 2;
  for (int segments = 0; segments < kMaxSegments && pos + 4 <= limit; ++segments) {
    const uint8_t* m = peek(pos, 4);
    if (!m || m[0] != 0xFF) return start;
    const uint8_t marker = m[1];
    if (marker == 0xFF) {  // fill byte in front of a marker
      ++pos;
      continue;
    }
    if (IsStandalone(marker)) {
      pos += 2;
      continue;
    }
    if (marker == 0xD9) return start;  // the picture ends before any scan
    const uint32_t length = uint32_t(m[2]) << 8 | m[3];
    if (length < 2) return start;
    if (marker == 0xDA) {
      start.ok = true;
      start.scanStart = pos + 2 + length;
      return start;
    }
    if (IsFrameHeader(marker) && length >= 7) {
      if (const uint8_t* sof = peek(pos + 4, 5)) {
        start.height = uint32_t(sof[1]) << 8 | sof[2];
        start.width = uint32_t(sof[3]) << 8 | sof[4];
      }
    } else if (marker == 0xE2 && length >= 6) {
      const uint8_t* id = peek(pos + 4, 4);
      if (id && std::memcmp(id, "MPF\0", 4) == 0) start.multiPicture = true;
    }
    pos += 2 + length;
  }
  return start;
}

uint64_t FindJpegEnd(const PeekBytes& peek, uint64_t scanStart, uint64_t length, uint64_t limit) {
  uint64_t pos = scanStart;
  if (length) limit = std::min(limit, length);
  while (pos + 2 <= limit) {
    // Chunks overlap by one byte, so that a marker split between two is seen.
    const uint32_t wanted = uint32_t(std::min<uint64_t>(kScanChunk, limit - pos));
    uint32_t got;
    const uint8_t* p = PeekSome(peek, pos, wanted, 2, got);
    if (!p) return 0;
    // In entropy-coded data an FF is followed by 00 or a restart marker, so
    // the first FF D9 is the end of the picture.
    for (const uint8_t* q = p; (q = static_cast<const uint8_t*>(std::memchr(q, 0xFF, size_t(p + got - 1 - q))));
         ++q)
      if (q[1] == 0xD9) return pos + uint64_t(q - p) + 2;
    pos += got - 1;
  }
  return 0;
}

bool LooksLikeClip(const PeekBytes& peek, uint64_t length) {
  const uint64_t limit = length ? std::min(length, kSniffLimit) : kSniffLimit;
  const JpegStart start = ReadJpegStart(peek, 0, limit);
  if (!start.ok || start.multiPicture) return false;
  const uint64_t end = FindJpegEnd(peek, start.scanStart, length, limit);
  if (end == 0) return false;
  const uint8_t* next = peek(end, 5);
  if (!next) return false;
  return (next[0] == 0xFF && next[1] == 0xD8) || std::memcmp(next, "#!AMR", 5) == 0;
}
