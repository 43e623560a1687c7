// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "container/frame_index.h"

#include <algorithm>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr uint8_t kSoundMagic[] = {'#', '!', 'A', 'M', 'R'};

// Positions within this many bytes of the end are never taken as a frame
// start or as the sound magic.
constexpr uint32_t kTailGuard = 10;

struct ScanState {
  const uint8_t* bytes;  // the piece of the clip in hand
  uint32_t base;         // its offset in the clip
  FrameIndex& index;
  uint8_t firstPair[2] = {0, 0};
  uint8_t secondPair[2] = {0, 0};
  uint32_t frameLimit = MAX_FRAME_OFFSETS;  // a start past this many ends the scan
  bool full = false;     // the table has room for the end marker only
  bool limited = false;  // the scan ended at the frame limit
};

// Looks at one position where the byte is 0xFF or '#'. Returns true when the
// scan is over.
inline bool Inspect(ScanState& s, uint32_t i) {
  const uint8_t* p = s.bytes + i;
  FrameIndex& index = s.index;
  if (p[0] == 0xFF && p[1] == 0xD8) {
    if (s.full) return false;
    if (index.frameCount == s.frameLimit) {
      index.frameOffsets[index.frameCount] = s.base + i;
      s.limited = true;
      return true;
    }
    if (index.frameCount == 0) {
      s.firstPair[0] = p[2];
      s.firstPair[1] = p[3];
    } else if (index.frameCount == 1 && (p[2] != s.firstPair[0] || p[3] != s.firstPair[1])) {
      index.sharedHeader = true;
      s.secondPair[0] = p[2];
      s.secondPair[1] = p[3];
    }
    if (index.frameCount == MAX_FRAME_OFFSETS - 1) {
      // No room for another start and the end marker. This start becomes the
      // end marker, so the last recorded frame keeps exactly its own bytes
      // instead of swallowing every frame after it. The scan goes on looking
      // for the sound track only.
      index.frameOffsets[index.frameCount] = s.base + i;
      s.full = true;
      return false;
    }
    index.frameOffsets[index.frameCount++] = s.base + i;
    return false;
  }
  if (std::memcmp(p, kSoundMagic, sizeof kSoundMagic) == 0) {
    index.hasSound = true;
    index.audioStart = s.base + i;
    if (!s.full) index.frameOffsets[index.frameCount] = s.base + i;
    return true;
  }
  return false;
}

// Visits, in increasing order, the positions of the piece below `limit`
// that may begin a frame start or the sound magic, until Inspect ends the
// scan; true when it did. In JPEG data such positions are rare, so the
// search runs over 64-byte blocks and only hits are looked at one by one: a
// position whose byte and the next are FF D8 or "#!" (the byte at `limit`
// may be read, the tail guard keeps it within the data).
bool ScanCandidates(ScanState& s, uint32_t limit) {
  const uint8_t* bytes = s.bytes;
  uint32_t i = 0;
#if defined(__SSE2__)
  const __m128i ff = _mm_set1_epi8(static_cast<char>(0xFF));
  const __m128i d8 = _mm_set1_epi8(static_cast<char>(0xD8));
  const __m128i hash = _mm_set1_epi8('#');
  const __m128i bang = _mm_set1_epi8('!');
  auto hits16 = [&](uint32_t at) -> uint32_t {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at + 1));
    const __m128i start = _mm_and_si128(_mm_cmpeq_epi8(v, ff), _mm_cmpeq_epi8(next, d8));
    const __m128i magic = _mm_and_si128(_mm_cmpeq_epi8(v, hash), _mm_cmpeq_epi8(next, bang));
    return static_cast<uint32_t>(_mm_movemask_epi8(_mm_or_si128(start, magic)));
  };
  for (; limit - i >= 64; i += 64) {
    uint64_t mask = uint64_t(hits16(i)) | uint64_t(hits16(i + 16)) << 16 |
                    uint64_t(hits16(i + 32)) << 32 | uint64_t(hits16(i + 48)) << 48;
    while (mask) {
      uint32_t at = i + static_cast<uint32_t>(__builtin_ctzll(mask));
      if (Inspect(s, at)) return true;
      mask &= mask - 1;
    }
  }
#else
  // Word at a time, on the first byte alone: a word holds 0xFF or '#'
  // exactly when the classic has-zero-byte test fires for the word xor'ed
  // with that byte repeated.
  constexpr uint64_t ones = 0x0101010101010101ULL, highs = 0x8080808080808080ULL;
  auto hasZero = [](uint64_t v) { return (v - ones) & ~v & highs; };
  for (; limit - i >= 8; i += 8) {
    uint64_t w;
    std::memcpy(&w, bytes + i, 8);
    if (!hasZero(w ^ (ones * 0xFF)) && !hasZero(w ^ (ones * '#'))) continue;
    for (uint32_t j = i; j < i + 8; ++j)
      if ((bytes[j] == 0xFF || bytes[j] == '#') && Inspect(s, j)) return true;
  }
#endif
  for (; i < limit; ++i)
    if ((bytes[i] == 0xFF || bytes[i] == '#') && Inspect(s, i)) return true;
  return false;
}

// The first position below `count` in the piece `p` where `pair` occurs;
// p[count] is still readable. `count` when there is none.
uint32_t FindPair(const uint8_t* p, uint32_t count, const uint8_t pair[2]) {
  const uint8_t* at = p;
  const uint8_t* end = p + count;
  while (at < end) {
    at = static_cast<const uint8_t*>(std::memchr(at, pair[0], static_cast<size_t>(end - at)));
    if (!at) break;
    if (at[1] == pair[1]) return static_cast<uint32_t>(at - p);
    ++at;
  }
  return count;
}

// Whether a position may begin a frame start or the sound magic: below
// the length less the tail guard.
uint32_t ScanLimit(uint32_t length) { return length > kTailGuard ? length - kTailGuard : 0; }

void StartIndex(FrameIndex& index, uint32_t length) {
  index.frameCount = 0;
  index.sharedHeader = false;
  index.headerLength = 0;
  index.hasSound = false;
  index.audioStart = 0;
  index.audioEnd = 0;
  index.frameOffsets[0] = length;
}

void FinishIndex(FrameIndex& index, const ScanState& s, uint32_t length) {
  if (index.hasSound)
    index.audioEnd = length - 1;
  else if (!s.full && !s.limited)
    index.frameOffsets[index.frameCount] = length;
}

}  // namespace

// The table is left uninitialised: a scan writes every entry it makes
// readable, and pages never written are never faulted in, which for a clip
// of a few thousand frames spares zeroing 2.5 MB.
FrameIndex::FrameIndex() : m_table(new uint32_t[MAX_FRAME_OFFSETS]) {
  frameOffsets = m_table.get();
}

// The shared header runs from offset 0 up to the first place where the two
// bytes that follow the second frame's FF D8 occur. The pair lies past the
// scanned range only when the second frame starts in the file's last bytes;
// then everything in front of that frame is header, which never reaches
// beyond the file.
void BuildFrameIndex(const uint8_t* bytes, uint32_t length, FrameIndex& index) {
  StartIndex(index, length);
  const uint32_t limit = ScanLimit(length);
  ScanState s{bytes, 0, index};
  ScanCandidates(s, limit);
  if (index.sharedHeader) {
    const uint32_t at = FindPair(bytes, limit, s.secondPair);
    index.headerLength = at < limit ? at : index.frameOffsets[1];
  }
  FinishIndex(index, s, length);
}

// The same scan, piece by piece. Consecutive pieces overlap by the tail
// guard, so every position is looked at once with the bytes that follow it.
namespace {

bool ScanInPieces(const ReadClipBytes& read, uint32_t length, uint32_t piece, uint32_t frameLimit,
                  FrameIndex& index) {
  piece = std::max(piece, kMinIndexPiece);
  StartIndex(index, length);
  const uint32_t limit = ScanLimit(length);
  ScanState s{nullptr, 0, index};
  s.frameLimit = frameLimit;
  for (uint32_t start = 0; start < limit;) {
    const uint32_t end = length - start > piece ? start + piece : length;
    s.bytes = read(start, end - start);
    if (!s.bytes) return false;
    s.base = start;
    const uint32_t stop = end == length ? limit : end - kTailGuard;
    if (ScanCandidates(s, stop - start)) break;
    start = stop;
  }
  if (index.sharedHeader) {
    index.headerLength = index.frameOffsets[1];
    // Pieces overlap by one byte here: a pair may straddle two.
    for (uint32_t start = 0; start < limit;) {
      const uint32_t end = length - start > piece ? start + piece : length;
      const uint8_t* bytes = read(start, end - start);
      if (!bytes) return false;
      const uint32_t stop = std::min(limit, end - 1);
      const uint32_t at = FindPair(bytes, stop - start, s.secondPair);
      if (at < stop - start) {
        index.headerLength = start + at;
        break;
      }
      start = stop;
    }
  }
  FinishIndex(index, s, length);
  return true;
}

}  // namespace

bool BuildFrameIndexInPieces(const ReadClipBytes& read, uint32_t length, uint32_t piece,
                             FrameIndex& index) {
  return ScanInPieces(read, length, piece, MAX_FRAME_OFFSETS, index);
}

// The same scan, ended at the second frame start: it becomes the end marker.
bool BuildFirstFrameIndex(const ReadClipBytes& read, uint32_t length, uint32_t piece,
                          FrameIndex& index) {
  return ScanInPieces(read, length, piece, 1, index);
}

void FrameIndex::Swap(FrameIndex& other) noexcept {
  std::swap(frameCount, other.frameCount);
  std::swap(frameOffsets, other.frameOffsets);
  std::swap(hasSound, other.hasSound);
  std::swap(audioStart, other.audioStart);
  std::swap(audioEnd, other.audioEnd);
  std::swap(sharedHeader, other.sharedHeader);
  std::swap(headerLength, other.headerLength);
  m_table.swap(other.m_table);
}

uint64_t FrameStreamLength(const FrameIndex& index, uint32_t k) {
  uint64_t body = uint64_t(index.frameOffsets[k + 1]) - index.frameOffsets[k];
  if (index.sharedHeader && k >= 1) return index.headerLength + body - 2;
  return body;
}
