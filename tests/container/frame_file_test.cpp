// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include <gtest/gtest.h>

#include "container/frame_file.h"
#include "tests/support/test_support.h"

namespace {

Bytes Slice(const Bytes& b, size_t from, size_t to) {
  return Bytes(b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(to));
}

// Three frames in the shared-header layout: the first is whole, the later ones
// keep FF D8 and start right at their scan data.
Bytes SharedHeaderClip() {
  Bytes b = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0x4A, 0x46,  // SOI, APP0
             0xFF, 0xDA, 0x01, 0x02, 0x03, 0xFF, 0xD9};        // SOS, data, EOI
  for (int k = 0; k < 2; ++k) {
    Bytes later = {0xFF, 0xD8, 0xFF, 0xDA, 0x0A, uint8_t(k), 0x0C, 0x0D, 0xFF, 0xD9};
    b.insert(b.end(), later.begin(), later.end());
  }
  b.resize(b.size() + 12, 0x55);  // trailing bytes the scan never looks at
  return b;
}

}  // namespace

TEST(WriteFrameFile, PlainFramesAreTheirOwnBytes) {
  TempDir dir;
  Bytes clip(64, 0x20);
  const Bytes soi = {0xFF, 0xD8};
  std::copy(soi.begin(), soi.end(), clip.begin());
  std::copy(soi.begin(), soi.end(), clip.begin() + 30);
  clip[29] = 0xD9;
  clip[63] = 0xD9;
  FrameIndex index;
  BuildFrameIndex(clip.data(), 64, index);
  ASSERT_EQ(index.frameCount, 2u);

  const std::string out = dir.File("f.jpg");
  ASSERT_TRUE(WriteFrameFile(clip.data(), index, 0, out));
  EXPECT_EQ(ReadFile(out), Slice(clip, 0, 30));
  ASSERT_TRUE(WriteFrameFile(clip.data(), index, 1, out));  // replaces the longer file
  EXPECT_EQ(ReadFile(out), Slice(clip, 30, 64));            // the final D9 included
  EXPECT_EQ(FrameStreamLength(index, 1), 34u);
}

TEST(WriteFrameFile, SharedHeaderFramesGetThePrefix) {
  TempDir dir;
  Bytes clip = SharedHeaderClip();
  FrameIndex index;
  BuildFrameIndex(clip.data(), static_cast<uint32_t>(clip.size()), index);
  ASSERT_TRUE(index.sharedHeader);
  ASSERT_EQ(index.frameCount, 3u);
  ASSERT_EQ(index.headerLength, 8u);  // up to the first FF DA

  const std::string out = dir.File("f.jpg");
  ASSERT_TRUE(WriteFrameFile(clip.data(), index, 0, out));
  EXPECT_EQ(ReadFile(out), Slice(clip, 0, 15));  // frame 0 once, no second header

  ASSERT_TRUE(WriteFrameFile(clip.data(), index, 2, out));
  Bytes expected = Slice(clip, 0, 8);
  Bytes body = Slice(clip, 27, clip.size());
  expected.insert(expected.end(), body.begin(), body.end());
  EXPECT_EQ(ReadFile(out), expected);
  EXPECT_EQ(FrameStreamLength(index, 2), expected.size());
}

TEST(WriteFrameFile, FailuresReturnFalseAndLeaveNoFile) {
  TempDir dir;
  Bytes clip = SharedHeaderClip();
  FrameIndex index;
  BuildFrameIndex(clip.data(), static_cast<uint32_t>(clip.size()), index);

  EXPECT_FALSE(WriteFrameFile(clip.data(), index, 1, dir.File("missing/f.jpg")));
  EXPECT_FALSE(WriteFrameFile(clip.data(), index, 1, dir.path()));  // a folder
  EXPECT_FALSE(WriteFrameFile(clip.data(), index, 3, dir.File("past.jpg")));
  EXPECT_FALSE(FileExists(dir.File("past.jpg")));
  // A device that takes no data: created, then every write fails.
  if (FileExists("/dev/full")) {
    EXPECT_FALSE(WriteFrameFile(clip.data(), index, 1, "/dev/full"));
    EXPECT_TRUE(FileExists("/dev/full"));
  }
}
