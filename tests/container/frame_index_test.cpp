// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "container/frame_index.h"
#include "tests/support/test_support.h"

namespace {

// The scan written out the slow, obvious way: every position, byte by byte.
struct Reference {
  uint32_t frameCount = 0;
  std::vector<uint32_t> offsets;  // frame starts, then the end marker
  bool hasSound = false;
  uint32_t audioStart = 0, audioEnd = 0;
  bool sharedHeader = false;
  uint32_t headerLength = 0;
};

Reference ReferenceScan(const Bytes& b) {
  Reference r;
  const uint32_t n = static_cast<uint32_t>(b.size());
  uint8_t first[2] = {0, 0}, second[2] = {0, 0};
  for (uint32_t i = 0; n > 10 && i < n - 10; ++i) {
    if (b[i] == 0xFF && b[i + 1] == 0xD8) {
      if (r.frameCount == 0) {
        first[0] = b[i + 2];
        first[1] = b[i + 3];
      } else if (r.frameCount == 1 && (b[i + 2] != first[0] || b[i + 3] != first[1])) {
        r.sharedHeader = true;
        second[0] = b[i + 2];
        second[1] = b[i + 3];
      }
      r.offsets.push_back(i);
      ++r.frameCount;
    } else if (b[i] == '#' && b[i + 1] == '!' && b[i + 2] == 'A' && b[i + 3] == 'M' &&
               b[i + 4] == 'R') {
      r.hasSound = true;
      r.audioStart = i;
      break;
    }
  }
  if (r.sharedHeader) {
    r.headerLength = r.offsets[1];
    for (uint32_t j = 0; j < n - 10; ++j) {
      if (b[j] == second[0] && b[j + 1] == second[1]) {
        r.headerLength = j;
        break;
      }
    }
  }
  r.offsets.push_back(r.hasSound ? r.audioStart : n);
  if (r.hasSound) r.audioEnd = n - 1;
  return r;
}

// Serves a clip piece by piece as a file reader would: each piece in a heap
// block of exactly its size (so a read past it is caught by the sanitizer),
// the previous one freed, and every request checked to lie within the clip
// and the piece size.
struct PieceReader {
  const Bytes& clip;
  uint32_t piece;
  std::vector<uint8_t> held;
  std::vector<uint32_t> offsets;  // every request, in order
  size_t failFrom = SIZE_MAX;     // requests from this one on fail

  ReadClipBytes Reader() {
    return [this](uint32_t offset, uint32_t size) -> const uint8_t* {
      EXPECT_LE(size, piece);
      EXPECT_LE(uint64_t(offset) + size, clip.size());
      offsets.push_back(offset);
      if (offsets.size() > failFrom) return nullptr;
      held.assign(clip.begin() + offset, clip.begin() + offset + size);
      held.shrink_to_fit();
      return held.data();
    };
  }
};

void ExpectSameIndex(const FrameIndex& a, const FrameIndex& b) {
  ASSERT_EQ(a.frameCount, b.frameCount);
  for (uint32_t k = 0; k <= a.frameCount; ++k) ASSERT_EQ(a.frameOffsets[k], b.frameOffsets[k]) << "entry " << k;
  ASSERT_EQ(a.hasSound, b.hasSound);
  ASSERT_EQ(a.audioStart, b.audioStart);
  ASSERT_EQ(a.audioEnd, b.audioEnd);
  ASSERT_EQ(a.sharedHeader, b.sharedHeader);
  ASSERT_EQ(a.headerLength, b.headerLength);
}

// The index made piece by piece, for pieces of the smallest size and of an
// odd one, equals the one made of the whole buffer.
void ExpectSameInPieces(const Bytes& b, const FrameIndex& whole) {
  static FrameIndex pieces;
  for (uint32_t piece : {kMinIndexPiece, kMinIndexPiece + 37}) {
    PieceReader reader{b, piece, {}, {}};
    ASSERT_TRUE(BuildFrameIndexInPieces(reader.Reader(), uint32_t(b.size()), piece, pieces));
    ExpectSameIndex(pieces, whole);
  }
}

void ExpectSameAsReference(const Bytes& b, FrameIndex& index) {
  BuildFrameIndex(b.data(), static_cast<uint32_t>(b.size()), index);
  ExpectSameInPieces(b, index);
  Reference r = ReferenceScan(b);
  ASSERT_EQ(index.frameCount, r.frameCount) << "length " << b.size();
  for (uint32_t k = 0; k <= r.frameCount; ++k)
    ASSERT_EQ(index.frameOffsets[k], r.offsets[k]) << "entry " << k << ", length " << b.size();
  ASSERT_EQ(index.hasSound, r.hasSound);
  if (r.hasSound) {
    ASSERT_EQ(index.audioStart, r.audioStart);
    ASSERT_EQ(index.audioEnd, r.audioEnd);
  }
  ASSERT_EQ(index.sharedHeader, r.sharedHeader);
  if (r.sharedHeader) {
    ASSERT_EQ(index.headerLength, r.headerLength);
  }
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

void Put(Bytes& b, size_t at, const Bytes& what) {
  for (size_t i = 0; i < what.size() && at + i < b.size(); ++i) b[at + i] = what[i];
}

const Bytes kSoi = {0xFF, 0xD8};
const Bytes kMagic = Text("#!AMR");

}  // namespace

TEST(BuildFrameIndex, MatchesByteByByteScanOnShortAdversarialBuffers) {
  FrameIndex index;
  std::mt19937 rng(7);
  // Bytes that make up frame starts and the magic, so that near misses abound.
  const uint8_t alphabet[] = {0xFF, 0xD8, '#', '!', 'A', 'M', 'R', 0x00, 0xE0, 0xDB};
  for (size_t length = 0; length <= 40; ++length) {
    for (int round = 0; round < 300; ++round) {
      Bytes b(length);
      for (auto& byte : b) byte = alphabet[rng() % sizeof alphabet];
      ExpectSameAsReference(b, index);
    }
    // Each pattern at every position, on a quiet background.
    for (const Bytes* pattern : {&kSoi, &kMagic}) {
      for (size_t at = 0; at < length; ++at) {
        Bytes b(length, 0x11);
        if (length > 4) Put(b, 0, {0xFF, 0xD8, 0x01, 0x02});
        Put(b, at, *pattern);
        ExpectSameAsReference(b, index);
      }
    }
  }
}

TEST(BuildFrameIndex, MatchesByteByByteScanOnLargeBuffersAndBlockEdges) {
  FrameIndex index;
  std::mt19937 rng(11);
  for (int round = 0; round < 40; ++round) {
    Bytes b(1000 + rng() % 20000);
    for (auto& byte : b) byte = static_cast<uint8_t>(rng());
    // Runs of FF, FF D8 pairs and magics straddling 16- and 64-byte blocks.
    for (int k = 0; k < 30; ++k) {
      size_t at = (rng() % (b.size() / 64)) * 64 + (rng() % 5) - 2;
      switch (rng() % 4) {
        case 0: Put(b, at, {0xFF, 0xFF, 0xFF, 0xD8, 0xFF}); break;
        case 1: Put(b, at, {0xFF, 0xD8, 0xFF, 0xE0}); break;
        case 2: Put(b, at, {0xFF, 0xD8, 0xFF, 0xDB}); break;
        default: if (rng() % 8 == 0) Put(b, at, kMagic); break;
      }
    }
    ExpectSameAsReference(b, index);
    // The same buffer cut at every length near a block edge.
    for (size_t cut = 60; cut < 200; ++cut) {
      Bytes shorter(b.begin(), b.begin() + static_cast<long>(cut));
      ExpectSameAsReference(shorter, index);
    }
  }
}

TEST(BuildFrameIndex, SharedHeaderFilesWhoseSecondFrameSitsNearTheEnd) {
  FrameIndex index;
  for (size_t length = 20; length <= 60; ++length) {
    for (size_t second = 6; second + 2 <= length; ++second) {
      Bytes b(length, 0x30);
      Put(b, 0, {0xFF, 0xD8, 0xFF, 0xE0});
      Put(b, second, {0xFF, 0xD8, 0xFF, 0xDA});
      ExpectSameAsReference(b, index);
      ASSERT_LE(index.headerLength, length);
    }
  }
}

TEST(BuildFrameIndex, BoundaryRulesOfTheScan) {
  FrameIndex index;

  // Ten bytes or fewer: nothing to scan. Eleven: position 0 only.
  Bytes ten = {0xFF, 0xD8, 1, 2, 3, 4, 5, 6, 7, 8};
  BuildFrameIndex(ten.data(), 10, index);
  EXPECT_EQ(index.frameCount, 0u);
  Bytes eleven = ten;
  eleven.push_back(9);
  BuildFrameIndex(eleven.data(), 11, index);
  EXPECT_EQ(index.frameCount, 1u);
  eleven[0] = 0;
  eleven[1] = 0xFF;
  eleven[2] = 0xD8;
  BuildFrameIndex(eleven.data(), 11, index);
  EXPECT_EQ(index.frameCount, 0u);

  // A start or a magic in the last ten bytes is not seen.
  Bytes tail(40, 0x20);
  Put(tail, 0, kSoi);
  Put(tail, 30, kMagic);
  BuildFrameIndex(tail.data(), 40, index);
  EXPECT_FALSE(index.hasSound);
  EXPECT_EQ(index.frameOffsets[1], 40u);
  Put(tail, 29, kMagic);
  BuildFrameIndex(tail.data(), 40, index);
  EXPECT_TRUE(index.hasSound);
  EXPECT_EQ(index.audioStart, 29u);
  EXPECT_EQ(index.audioEnd, 39u);

  // The magic ends the scan: a pair behind it is sound data.
  Bytes sound(60, 0x20);
  Put(sound, 3, kSoi);
  Put(sound, 20, kMagic);
  Put(sound, 30, kSoi);
  BuildFrameIndex(sound.data(), 60, index);
  EXPECT_EQ(index.frameCount, 1u);
  EXPECT_EQ(index.frameOffsets[0], 3u);  // bytes in front belong to no frame
  EXPECT_EQ(index.frameOffsets[1], 20u);  // the frame runs up to the '#'

  // The magic in front of every frame: no frame, but the sound is noted.
  Bytes early(40, 0x20);
  Put(early, 2, kMagic);
  Put(early, 10, kSoi);
  BuildFrameIndex(early.data(), 40, index);
  EXPECT_EQ(index.frameCount, 0u);
  EXPECT_TRUE(index.hasSound);

  // Indexing another file starts afresh: a shared-header clip with sound,
  // then a plain silent one, keeps nothing of the first.
  Bytes both(80, 0x20);
  Put(both, 0, {0xFF, 0xD8, 0xFF, 0xE0});
  Put(both, 10, {0xFF, 0xDA, 0x00});
  Put(both, 30, {0xFF, 0xD8, 0xFF, 0xDA});
  Put(both, 50, kMagic);
  BuildFrameIndex(both.data(), 80, index);
  ASSERT_TRUE(index.hasSound);
  ASSERT_TRUE(index.sharedHeader);
  ASSERT_EQ(index.headerLength, 10u);
  Bytes silent(40, 0x20);
  Put(silent, 0, kSoi);
  Put(silent, 20, kSoi);
  BuildFrameIndex(silent.data(), 40, index);
  EXPECT_FALSE(index.hasSound);
  EXPECT_FALSE(index.sharedHeader);
  EXPECT_EQ(index.headerLength, 0u);
  EXPECT_EQ(index.frameCount, 2u);
  EXPECT_EQ(index.frameOffsets[2], 40u);
}

TEST(BuildFrameIndex, LayoutIsDecidedByTheFirstTwoFrames) {
  FrameIndex index;
  // A single frame is never shared-header, whatever follows it.
  Bytes one(40, 0x20);
  Put(one, 0, {0xFF, 0xD8, 0xFF, 0xE0});
  BuildFrameIndex(one.data(), 40, index);
  EXPECT_FALSE(index.sharedHeader);

  // Alike first two frames: plain, even when the third differs. An FF D8
  // inside a picture (a thumbnail) is a frame start like any other.
  Bytes plain(80, 0x20);
  Put(plain, 0, {0xFF, 0xD8, 0xFF, 0xE0});
  Put(plain, 20, {0xFF, 0xD8, 0xFF, 0xE0});
  Put(plain, 40, {0xFF, 0xD8, 0xFF, 0xDA});
  BuildFrameIndex(plain.data(), 80, index);
  EXPECT_EQ(index.frameCount, 3u);
  EXPECT_FALSE(index.sharedHeader);

  // Different pairs: the header is everything in front of the first place
  // where the second frame's pair occurs, counted from offset 0 even when the
  // first frame starts later.
  Bytes shared(80, 0x20);
  Put(shared, 4, {0xFF, 0xD8, 0xFF, 0xE0});
  Put(shared, 14, {0xFF, 0xDA, 0x00});  // where the later frames' own data begins
  Put(shared, 30, {0xFF, 0xD8, 0xFF, 0xDA});
  BuildFrameIndex(shared.data(), 80, index);
  EXPECT_TRUE(index.sharedHeader);
  EXPECT_EQ(index.frameOffsets[0], 4u);
  EXPECT_EQ(index.headerLength, 14u);
}

TEST(BuildFrameIndex, LastFrameKeepsItsFinalByte) {
  FrameIndex index;
  Bytes silent(50, 0x20);
  Put(silent, 0, kSoi);
  Put(silent, 20, kSoi);
  silent[49] = 0xD9;
  BuildFrameIndex(silent.data(), 50, index);
  ASSERT_EQ(index.frameCount, 2u);
  EXPECT_EQ(index.frameOffsets[2], 50u);  // up to and including the last byte

  Put(silent, 30, kMagic);
  silent[29] = 0xD9;
  BuildFrameIndex(silent.data(), 50, index);
  EXPECT_EQ(index.frameOffsets[2], 30u);  // up to and including the byte before '#'
}

TEST(BuildFrameIndex, StopsRecordingAtCapacityWithExactFrames) {
  // One more frame start than the table holds beside its end marker, then a
  // sound track: four bytes a frame.
  const uint32_t starts = MAX_FRAME_OFFSETS + 1;
  Bytes b(size_t(starts) * 4 + 40, 0x20);
  for (uint32_t k = 0; k < starts; ++k) Put(b, size_t(k) * 4, {0xFF, 0xD8, 0x00, 0x00});
  Put(b, size_t(starts) * 4, kMagic);

  FrameIndex index;
  BuildFrameIndex(b.data(), static_cast<uint32_t>(b.size()), index);
  ASSERT_EQ(index.frameCount, MAX_FRAME_OFFSETS - 1);
  for (uint32_t k = 0; k < index.frameCount; ++k)
    ASSERT_EQ(index.frameOffsets[k + 1] - index.frameOffsets[k], 4u) << "frame " << k;
  EXPECT_TRUE(index.hasSound);
  EXPECT_EQ(index.audioStart, starts * 4);
  EXPECT_EQ(index.frameOffsets[index.frameCount], (MAX_FRAME_OFFSETS - 1) * 4);
  // Read in pieces of a file reader's size, the full table comes out alike.
  FrameIndex pieces;
  PieceReader reader{b, 256 << 10, {}, {}};
  ASSERT_TRUE(BuildFrameIndexInPieces(reader.Reader(), uint32_t(b.size()), reader.piece, pieces));
  ExpectSameIndex(pieces, index);
}

TEST(BuildFrameIndexInPieces, ReadsFrontToBackAndStopsAtTheSound) {
  // Frames every 100 bytes, the magic at 5000, sound data to 20000.
  Bytes b(20000, 0x20);
  for (size_t at = 0; at < 5000; at += 100) Put(b, at, {0xFF, 0xD8, 0xFF, 0xE0});
  Put(b, 5000, kMagic);
  for (size_t at = 5100; at < 19000; at += 100) Put(b, at, {0xFF, 0xD8, 0xFF, 0xE0});
  FrameIndex index;
  PieceReader reader{b, 1000, {}, {}};
  ASSERT_TRUE(BuildFrameIndexInPieces(reader.Reader(), uint32_t(b.size()), 1000, index));
  EXPECT_EQ(index.frameCount, 50u);
  EXPECT_EQ(index.audioStart, 5000u);
  // Consecutive pieces overlap by ten bytes, and none is read past the magic.
  ASSERT_EQ(reader.offsets, (std::vector<uint32_t>{0, 990, 1980, 2970, 3960, 4950}));
}

TEST(BuildFrameIndexInPieces, AFailedReadFailsTheIndex) {
  Bytes b(5000, 0x20);
  for (size_t at = 0; at < 4000; at += 100) Put(b, at, {0xFF, 0xD8, 0xFF, 0xE0});
  FrameIndex index;
  PieceReader reader{b, 1000, {}, {}};
  reader.failFrom = 3;  // as a file cut short after it was opened
  EXPECT_FALSE(BuildFrameIndexInPieces(reader.Reader(), uint32_t(b.size()), 1000, index));
  EXPECT_EQ(reader.offsets.size(), 4u);  // no read after the failed one
  // A shared-header clip reads its start again for the header: a failure
  // there fails the index as well.
  Bytes shared(5000, 0x20);
  Put(shared, 0, {0xFF, 0xD8, 0xFF, 0xE0});
  Put(shared, 3000, {0xFF, 0xD8, 0xFF, 0xDA});
  PieceReader second{shared, 1000, {}, {}};
  ASSERT_TRUE(BuildFrameIndexInPieces(second.Reader(), 5000, 1000, index));
  EXPECT_TRUE(index.sharedHeader);
  EXPECT_EQ(index.headerLength, 3002u);  // the pair first occurs in the second frame itself
  const auto again = std::find(second.offsets.begin() + 1, second.offsets.end(), 0u);
  ASSERT_NE(again, second.offsets.end());
  second.failFrom = size_t(again - second.offsets.begin());
  second.offsets.clear();
  EXPECT_FALSE(BuildFrameIndexInPieces(second.Reader(), 5000, 1000, index));
}

TEST(BuildFirstFrameIndex, IndexesTheFirstFrameAsTheWholeScanDoesAndReadsNoFurther) {
  struct Case {
    const char* what;
    std::vector<std::pair<size_t, Bytes>> marks;  // written over a run of spaces
    size_t length;
    uint32_t frames;  // 1, or 0 for none
    uint32_t end;     // the first frame's end marker
    size_t lastRead;  // no piece starts beyond this
  } cases[] = {
      {"two frames", {{30, kSoi}, {2500, kSoi}}, 9000, 1, 2500, 2500},
      {"a frame start at the very front", {{0, kSoi}, {70, kSoi}}, 9000, 1, 70, 70},
      {"the sound right after the first frame", {{10, kSoi}, {3000, kMagic}, {3100, kSoi}}, 9000, 1,
       3000, 3000},
      {"one frame to the end of the file", {{10, kSoi}}, 9000, 1, 9000, 9000},
      {"no frame", {}, 9000, 0, 9000, 9000},
      {"the sound before any frame", {{50, kMagic}, {200, kSoi}}, 9000, 0, 50, 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes b(c.length, 0x20);
    for (const auto& [at, what] : c.marks) Put(b, at, what);
    static FrameIndex whole, first;
    BuildFrameIndex(b.data(), uint32_t(b.size()), whole);
    PieceReader reader{b, 1000, {}, {}};
    ASSERT_TRUE(BuildFirstFrameIndex(reader.Reader(), uint32_t(b.size()), 1000, first));
    ASSERT_EQ(first.frameCount, c.frames);
    EXPECT_EQ(first.frameOffsets[first.frameCount], c.end);
    EXPECT_FALSE(first.sharedHeader);
    // Frame 0 is the bytes the whole index gives it.
    if (c.frames == 1) {
      EXPECT_EQ(first.frameOffsets[0], whole.frameOffsets[0]);
      EXPECT_EQ(first.frameOffsets[1], whole.frameOffsets[1]);
    }
    ASSERT_FALSE(reader.offsets.empty());
    EXPECT_LE(reader.offsets.back(), c.lastRead);
  }
}

TEST(FrameIndex, SwapExchangesTablesAndFacts) {
  Bytes a(3000, 0x20), b(3000, 0x20);
  Put(a, 0, kSoi);
  Put(a, 100, kSoi);
  Put(b, 5, kSoi);
  Put(b, 900, kMagic);
  FrameIndex x, y;
  BuildFrameIndex(a.data(), uint32_t(a.size()), x);
  BuildFrameIndex(b.data(), uint32_t(b.size()), y);
  const uint32_t* tableOfX = x.frameOffsets;
  x.Swap(y);
  EXPECT_EQ(y.frameOffsets, tableOfX);
  EXPECT_EQ(x.frameCount, 1u);
  EXPECT_TRUE(x.hasSound);
  EXPECT_EQ(x.frameOffsets[1], 900u);
  EXPECT_EQ(y.frameCount, 2u);
  EXPECT_FALSE(y.hasSound);
  EXPECT_EQ(y.frameOffsets[2], 3000u);
}
