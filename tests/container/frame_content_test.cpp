// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include <gtest/gtest.h>

#include "container/frame_content.h"
#include "tests/support/test_support.h"

namespace {

// A frame header (SOF0) declaring width x height, and a scan with data.
Bytes Sof(int width, int height) {
  return {0xFF, 0xC0, 0x00, 0x0B, 0x08, uint8_t(height >> 8), uint8_t(height),
          uint8_t(width >> 8), uint8_t(width), 0x01, 0x01, 0x11, 0x00};
}
const Bytes kScan = {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00, 0x12, 0x34, 0xFF, 0xD9};

Bytes Frame(const std::vector<Bytes>& parts) {
  Bytes b = {0xFF, 0xD8};
  for (const Bytes& p : parts) b.insert(b.end(), p.begin(), p.end());
  return b;
}

struct Clip {
  Bytes bytes;
  FrameIndex index;
  explicit Clip(const std::vector<Bytes>& frames) {
    for (const Bytes& f : frames) bytes.insert(bytes.end(), f.begin(), f.end());
    bytes.resize(bytes.size() + 12, 0x55);  // the scan never looks at the last ten bytes
    BuildFrameIndex(bytes.data(), uint32_t(bytes.size()), index);
  }
};

}  // namespace

TEST(FrameContent, TellsFramesWithPicturesFromEmptyOnesAndReadsTheirSize) {
  const Bytes comment = {0xFF, 0xFE, 0x00, 0x06, 0xFF, 0xD9, 0xFF, 0xDA};  // markers inside a segment
  Clip clip({Frame({comment, Sof(176, 144), kScan}),
             Frame({comment}),                                     // a comment, no picture
             Frame({Sof(352, 288), {0xFF, 0xDA, 0x00, 0x08}}),     // a scan header cut short
             Frame({Sof(8, 8), {0xFF, 0xDA, 0x00, 0x02, 0xFF, 0xD9}}),  // a scan with no data
             Frame({{0x00, 0x11}, Sof(8, 8), kScan}),             // no marker after SOI
             Frame({Sof(8688, 64), kScan})});
  ASSERT_EQ(clip.index.frameCount, 6u);
  ASSERT_FALSE(clip.index.sharedHeader);
  const FrameContent content(clip.bytes.data(), clip.index);
  const bool expected[] = {true, false, false, false, false, true};
  for (uint32_t k = 0; k < 6; ++k) EXPECT_EQ(content.HasScanData(k), expected[k]) << k;
  int w = 0, h = 0;
  EXPECT_TRUE(content.DeclaredSize(0, w, h));
  EXPECT_EQ(w, 176);
  EXPECT_EQ(h, 144);
  EXPECT_FALSE(content.DeclaredSize(2, w, h));
  EXPECT_EQ(w, 352);
  EXPECT_TRUE(content.DeclaredSize(5, w, h));
  EXPECT_EQ(w, 8688);
  EXPECT_EQ(h, 64);
}

TEST(FrameContent, WalksTheSharedHeaderOnceAndComparesFramesWithTheOneBefore) {
  // The first frame carries the header up to its scan; later frames start at
  // theirs. Frames 2 and 3 are the same bytes; frame 4 has no data.
  const Bytes later = {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00, 0x56, 0x78};
  Bytes other = later;
  other[12] = 0x9A;
  Clip clip({Frame({Sof(16, 16), kScan}), other, later, later, {0xFF, 0xD8, 0xFF, 0xDA}, later});
  ASSERT_TRUE(clip.index.sharedHeader);
  const FrameContent content(clip.bytes.data(), clip.index);
  const bool data[] = {true, true, true, true, false, true};
  const bool repeats[] = {false, false, false, true, false, false};
  for (uint32_t k = 0; k < 6; ++k) {
    EXPECT_EQ(content.HasScanData(k), data[k]) << k;
    EXPECT_EQ(content.RepeatsPrevious(k), repeats[k]) << k;
  }
  int w = 0, h = 0;
  EXPECT_TRUE(content.DeclaredSize(3, w, h));
  EXPECT_EQ(w, 16);  // from the shared header
}
