// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Pictures that fuzzing found, each kept with the fault it showed.
#include <gtest/gtest.h>

#include <string>

#include "image/image.h"
#include "tests/image/picture_files.h"

namespace {

// A 116-byte file whose zTXt chunk claims 1,146,224,640 bytes: libpng used
// to allocate (and touch) that much before finding the file short.
TEST(FuzzRegression, PngChunkClaimingAGigabyteCostsNothing) {
  TempDir dir;
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  AppendPngChunk(png, "IHDR", {0, 0, 0, 55, 0, 0, 0, 16, 8, 0, 0, 0, 0});
  AppendPngChunk(png, "tIME", {0x07, 0xEA, 0x0A, 0x1A, 0x0A, 0x00, 0x00});
  AppendBE32(png, 1146224640);
  for (char c : std::string("zTXt\0\x10\x10\x02", 8)) png.push_back(uint8_t(c));
  png.resize(116, 0x41);
  WriteFile(dir.File("claim.png"), png);

  const long idle = PeakKiBOfAChildReading("", IMAGE_PNG);
  const long reading = PeakKiBOfAChildReading(dir.File("claim.png"), IMAGE_PNG);
  EXPECT_LT(reading - idle, 64 * 1024) << "KiB beyond an idle child";
  CImage image(dir.File("claim.png"), IMAGE_PNG);
  EXPECT_EQ(image.GetWidth(), 0) << "the file ends inside the chunk";
}

// Skipping the chunks the picture does not need changes nothing it shows.
TEST(FuzzRegression, PngTextAndTimeChunksAreSkippedUnharmed) {
  TempDir dir;
  Convert({"-size", "5x3", "xc:#336699", "-set", "comment", "a comment", "-define",
           "png:include-chunk=tEXt,zTXt,tIME,gAMA", "PNG24:" + dir.File("text.png")});
  const Bytes file = ReadFile(dir.File("text.png"));
  ASSERT_NE(std::string(file.begin(), file.end()).find("tEXt"), std::string::npos);
  CImage image(dir.File("text.png"), IMAGE_PNG);
  ASSERT_EQ(image.GetWidth(), 5);
  ASSERT_EQ(image.GetHeight(), 3);
  uint8_t r, g, b;
  ASSERT_EQ(image.GetRGB(4, 2, r, g, b), 1);
  EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{0x33, 0x66, 0x99}));
}

}  // namespace
