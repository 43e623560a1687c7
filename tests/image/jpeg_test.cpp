// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// JPEG reading into an 8-bit palette bitmap, and JPEG writing.
#include <gtest/gtest.h>

#include <set>

#include "image/dib_block.h"
#include "image/image.h"
#include "image/image_jpg.h"
#include "tests/image/picture_files.h"

namespace {

TEST(JpegRead, GreyPicturesGetTheGreyPalette) {
  TempDir dir;
  const TestPicture picture = MakeTestPicture(37, 21);
  WriteJpegWithCjpeg(dir, picture, dir.File("grey.jpg"), "", true);
  CImage image(dir.File("grey.jpg"), IMAGE_JPG);
  ASSERT_EQ(image.GetWidth(), 37);
  ASSERT_EQ(image.GetHeight(), 21);
  EXPECT_EQ(image.GetDepth(), 8);
  EXPECT_EQ(image.GetColorType(), 3);
  EXPECT_EQ(image.GetBytesPerLine(), 40);
  EXPECT_EQ(image.GetImpl()->GetTransparentIndex(), -1);
  ASSERT_NE(image.GetPalette(), nullptr);
  ASSERT_EQ(image.GetPalette()->GetEntryCount(), 256);
  for (int i = 0; i < 256; ++i) {
    uint8_t r, g, b;
    ASSERT_EQ(GetPaletteRGB(image.GetPalette(), i, r, g, b), 1);
    ASSERT_TRUE(r == i && g == i && b == i) << i;
  }
  // The pixel bytes are grey levels close to the source's red channel (the
  // grey source), the top picture row in the last row in memory.
  const uint8_t* top = image.GetBits() + 20 * image.GetBytesPerLine();
  EXPECT_NEAR(top[36], picture.rgb[36 * 3], 12);
  EXPECT_NEAR(image.GetBits()[0], picture.rgb[size_t(20 * 37) * 3], 12);
  EXPECT_EQ(top[37], 0) << "padding stays zero";
  EXPECT_EQ(LoadLE16(image.GetImpl()->GetDIB() + 40 + 2 * 200), 200) << "index form";
}

TEST(JpegRead, ColourPicturesGetAtMost128Colours) {
  TempDir dir;
  for (const char* sampling : {"1x1", "2x1", "2x2"}) {
    WriteJpegWithCjpeg(dir, MakeTestPicture(64, 48, 7), dir.File("c.jpg"), sampling, false);
    CImage image(dir.File("c.jpg"), IMAGE_JPG);
    ASSERT_EQ(image.GetWidth(), 64) << sampling;
    EXPECT_EQ(image.GetDepth(), 8);
    EXPECT_EQ(image.GetColorType(), 3);
    ASSERT_NE(image.GetPalette(), nullptr);
    const int colours = image.GetPalette()->GetEntryCount();
    EXPECT_GT(colours, 16);
    EXPECT_LE(colours, 128);
    std::set<int> used;
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 64; ++x) used.insert(image.GetIndex(x, y));
    EXPECT_LT(*used.rbegin(), colours);
    EXPECT_GT(used.size(), 16u) << "dithering spreads the colours";
  }
}

TEST(JpegRead, OnePixelPicture) {
  TempDir dir;
  TestPicture dot{1, 1, {200, 30, 40}};
  WriteJpegWithCjpeg(dir, dot, dir.File("dot.jpg"), "1x1", false, 95);
  CImage image(dir.File("dot.jpg"), IMAGE_JPG);
  ASSERT_EQ(image.GetWidth(), 1);
  EXPECT_EQ(image.GetHeight(), 1);
  EXPECT_EQ(image.GetBytesPerLine(), 4);
  uint8_t r, g, b;
  ASSERT_EQ(image.GetRGB(0, 0, r, g, b), 1);
  EXPECT_NEAR(r, 200, 8);
  EXPECT_NEAR(g, 30, 8);
}

TEST(JpegRead, FilesThatAreNoJpegAreRefused) {
  TempDir dir;
  WriteFile(dir.File("empty.jpg"), {});
  WriteFile(dir.File("text.jpg"), Bytes{'h', 'e', 'l', 'l', 'o'});
  for (const std::string name : {"empty.jpg", "text.jpg", "missing.jpg"}) {
    CImage image(dir.File(name), IMAGE_JPG);
    EXPECT_EQ(image.GetWidth(), 0) << name;
    EXPECT_EQ(image.GetHeight(), 0) << name;
    EXPECT_EQ(image.IsValid(), 0) << name;
  }
  CImage folder(dir.path() + "/.jpg", IMAGE_JPG);
  EXPECT_EQ(folder.GetWidth(), 0);

  // Four colour components: the quantiser refuses them; no bitmap is left.
  ProgramResult r = RunProgram({SystemProgram("convert"), "rose:", "-colorspace", "CMYK",
                                dir.File("cmyk.jpg")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  CImage cmyk(dir.File("cmyk.jpg"), IMAGE_JPG);
  EXPECT_EQ(cmyk.IsValid(), 0);
  EXPECT_EQ(cmyk.GetWidth(), 0);
}

TEST(JpegRead, TruncatedScanStillGivesTheWholePicture) {
  TempDir dir;
  WriteJpegWithCjpeg(dir, MakeTestPicture(96, 80, 3), dir.File("full.jpg"), "2x2", false);
  Bytes bytes = ReadFile(dir.File("full.jpg"));
  bytes.resize(bytes.size() / 2);
  WriteFile(dir.File("half.jpg"), bytes);
  CImage image;
  EXPECT_NE(image.Load(dir.File("half.jpg"), IMAGE_JPG), 0);
  EXPECT_EQ(image.GetWidth(), 96);
  EXPECT_EQ(image.GetHeight(), 80);
  EXPECT_NE(image.GetPalette(), nullptr);
}

TEST(JpegRead, EmptyPathRereadsTheFileName) {
  TempDir dir;
  WriteJpegWithCjpeg(dir, MakeTestPicture(20, 10), dir.File("a.jpg"), "2x2", false);
  CImage image(dir.File("a.jpg"), IMAGE_JPG);
  ASSERT_EQ(image.GetWidth(), 20);
  WriteJpegWithCjpeg(dir, MakeTestPicture(8, 9), dir.File("a.jpg"), "2x2", true);
  ASSERT_NE(image.GetImpl()->Read(""), 0);
  EXPECT_EQ(image.GetWidth(), 8);
  EXPECT_EQ(image.GetHeight(), 9);
  EXPECT_EQ(image.GetPalette()->GetEntryCount(), 256);
}

// The first value of the first quantisation table, or -1.
int FirstQuantValue(const Bytes& jpeg) {
  for (size_t i = 0; i + 5 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDB) return jpeg[i + 5];
  return -1;
}

bool HasMarker(const Bytes& jpeg, uint8_t marker) {
  for (size_t i = 0; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == marker) return true;
  return false;
}

TEST(JpegWrite, WritesBaselineAtQuality30AndReadsBack) {
  TempDir dir;
  WriteJpegWithCjpeg(dir, MakeTestPicture(50, 30), dir.File("in.jpg"), "2x2", false);
  CImage image(dir.File("in.jpg"), IMAGE_JPG);
  ASSERT_EQ(image.GetWidth(), 50);
  ASSERT_EQ(image.Write(dir.File("out.jpg")), 1);
  const Bytes written = ReadFile(dir.File("out.jpg"));
  EXPECT_TRUE(HasMarker(written, 0xC0)) << "baseline frame";
  EXPECT_FALSE(HasMarker(written, 0xC2));
  EXPECT_EQ(FirstQuantValue(written), 27) << "16 scaled by 5000 / 30 percent";
  EXPECT_EQ(image.GetFileName(), dir.File("in.jpg"));
  EXPECT_EQ(static_cast<CImageFile*>(image.GetImpl())->GetFileName(), dir.File("out.jpg"));

  CImage back(dir.File("out.jpg"), IMAGE_JPG);
  ASSERT_EQ(back.GetWidth(), 50);
  ASSERT_EQ(back.GetHeight(), 30);
  // Quality 30 is coarse; the picture's colours survive roughly.
  long difference = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 50; ++x) {
      uint8_t r1, g1, b1, r2, g2, b2;
      image.GetRGB(x, y, r1, g1, b1);
      back.GetRGB(x, y, r2, g2, b2);
      difference += std::abs(r1 - r2) + std::abs(g1 - g2) + std::abs(b1 - b2);
    }
  EXPECT_LT(difference / (50 * 30 * 3), 20);
}

TEST(JpegWrite, TrueColourBitmapsAreWrittenAsRedGreenBlue) {
  TempDir dir;
  CImageJPG jpg(dir.File("red.jpg"));
  ASSERT_NE(jpg.Create(16, 16, 24, -1), 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) jpg.SetRGB(x, y, 220, 20, 30);
  ASSERT_EQ(jpg.Write(""), 1);
  CImage back(dir.File("red.jpg"), IMAGE_JPG);
  uint8_t r, g, b;
  ASSERT_EQ(back.GetRGB(8, 8, r, g, b), 1);
  EXPECT_NEAR(r, 220, 16);
  EXPECT_NEAR(g, 20, 16);
  EXPECT_NEAR(b, 30, 16);
}

TEST(JpegWrite, LibraryErrorsReturnZeroAndLeaveNoFile) {
  TempDir dir;
  CImageJPG wide(dir.File("wide.jpg"));
  ASSERT_NE(wide.Create(65501, 1, 24, -1), 0);  // beyond what JPEG can hold
  EXPECT_EQ(wide.Write(""), 0);
  EXPECT_FALSE(FileExists(dir.File("wide.jpg")));

  CImageJPG small(dir.File("small.jpg"));
  ASSERT_NE(small.Create(64, 64, 24, -1), 0);
  EXPECT_EQ(small.Write("/dev/full"), 0) << "the write fails inside the library";
  EXPECT_EQ(small.Write(dir.File("no/such/folder/x.jpg")), 0);
  // The process carries on, and the object still writes elsewhere.
  EXPECT_EQ(small.Write(dir.File("ok.jpg")), 1);
}

TEST(JpegWrite, OnlyPaletteOrTrueColourRowsAreWritten) {
  TempDir dir;
  CImageJPG image(dir.File("x.jpg"));
  EXPECT_EQ(image.Write(""), 0) << "no bitmap";
  image.Create(4, 4, 8, -1);
  EXPECT_EQ(image.Write(""), 0) << "indices without a palette";
  image.Create(4, 4, 16, -1);
  EXPECT_EQ(image.Write(""), 0);
  EXPECT_FALSE(FileExists(dir.File("x.jpg")));
}

}  // namespace
