// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The image object: type selection, the bitmap block and pixel access.
#include <gtest/gtest.h>

#include <array>

#include "image/dib_block.h"
#include "image/image.h"
#include "image/image_jpg.h"
#include "tests/support/test_support.h"

namespace {

TEST(ImageTypes, ExtensionsPickTheClassIgnoringCase) {
  EXPECT_EQ(FindExtension("frame.JPG"), "JPG");
  EXPECT_EQ(FindExtension("a.b/frame.png"), "png");
  EXPECT_EQ(FindExtension("frame."), "");
  EXPECT_EQ(FindExtension("frame"), "");
  // The only dot lies in a folder name: the rest of the path is the extension.
  EXPECT_EQ(FindExtension("clips.d/frame"), "d/frame");

  for (const char* name : {"frame.JPG", "frame.jpg", "FRAME.Jpg"})
    EXPECT_EQ(ImageTypeFromExtension(FindExtension(name)), IMAGE_JPG) << name;
  EXPECT_EQ(ImageTypeFromExtension("bmp"), IMAGE_BMP);
  EXPECT_EQ(ImageTypeFromExtension("Gif"), IMAGE_GIF);
  EXPECT_EQ(ImageTypeFromExtension("PNG"), IMAGE_PNG);
  EXPECT_EQ(ImageTypeFromExtension("xpm"), IMAGE_XPM);
  for (const char* ext : {"jpeg", "jpe", "", "d/frame", "JP", "JPGX", "A", "ZZZ", "_"})
    EXPECT_EQ(ImageTypeFromExtension(ext), IMAGE_UNKNOWN) << ext;
}

TEST(ImageTypes, CodesWithoutAClassGiveAnEmptyObject) {
  TempDir dir;
  WriteFile(dir.File("x.xpm"), Bytes(10, 0));
  for (int type : {IMAGE_XPM, 5, 17, -2}) {
    CImage image(dir.File("x.xpm"), type);
    EXPECT_EQ(image.GetImpl(), nullptr) << type;
    EXPECT_EQ(image.GetWidth(), 0);
    EXPECT_EQ(image.IsValid(), 0);
    EXPECT_EQ(image.GetPalette(), nullptr);
    EXPECT_EQ(image.GetBits(), nullptr);
    uint8_t r, g, b;
    EXPECT_EQ(image.GetRGB(0, 0, r, g, b), 0);
    EXPECT_EQ(image.SetIndex(0, 0, 1), 0);
    EXPECT_EQ(image.StretchDraw(nullptr, 0, 0), 0);
  }
  CImage unknown(dir.File("frame.jpeg"), IMAGE_UNKNOWN);
  EXPECT_EQ(unknown.GetImpl(), nullptr);
  EXPECT_EQ(unknown.GetImageType(), IMAGE_UNKNOWN);
}

TEST(ImageObject, LoadKeepsTheClassWhileTheTypeStays) {
  TempDir dir;
  CImage image(dir.File("missing.jpg"), IMAGE_UNKNOWN);
  ASSERT_NE(image.GetImpl(), nullptr);
  EXPECT_NE(dynamic_cast<CImageJPG*>(image.GetImpl()), nullptr);
  EXPECT_EQ(dynamic_cast<CImageJPG*>(image.GetImpl())->quality, 30);
  EXPECT_EQ(image.GetWidth(), 0);  // the file is missing
  EXPECT_EQ(image.IsValid(), 0);

  CImageImpl* first = image.GetImpl();
  EXPECT_EQ(image.Load(dir.File("other.jpg"), IMAGE_JPG), 0);
  EXPECT_EQ(image.GetImpl(), first);
  EXPECT_EQ(image.GetFileName(), dir.File("other.jpg"));
  EXPECT_EQ(image.Load(dir.File("other.bmp"), IMAGE_UNKNOWN), 0);
  EXPECT_NE(image.GetImpl(), first);
  EXPECT_EQ(image.GetImageType(), IMAGE_BMP);
}

TEST(ImageObject, CreateMakesABitmapImageWhenThereIsNone) {
  CImage image;
  EXPECT_EQ(image.GetImpl(), nullptr);
  ASSERT_NE(image.Create(5, 3, 8, -1), 0);
  EXPECT_EQ(image.GetImageType(), IMAGE_BMP);
  EXPECT_EQ(image.GetFileName(), "");
  EXPECT_EQ(image.IsValid(), 1);
  EXPECT_EQ(image.GetColorType(), 0);
  ASSERT_NE(image.Create(5, 3, 24, -1), 0);
  EXPECT_EQ(image.GetColorType(), 2);
  ASSERT_NE(image.Create(5, 3, 8, 6), 0);
  EXPECT_EQ(image.GetColorType(), 6);
}

TEST(ImageObject, FailedCreateLeavesNoBitmapAndNoSize) {
  CImage image;
  ASSERT_NE(image.Create(4, 4, 8, -1), 0);
  EXPECT_EQ(image.Create(100000, 100000, 24, -1), 0);  // above the pixel limit
  EXPECT_EQ(image.IsValid(), 0);
  EXPECT_EQ(image.GetWidth(), 0);
  EXPECT_EQ(image.GetHeight(), 0);
  EXPECT_EQ(image.Create(4, 4, 7, -1), 0);  // no such depth
  EXPECT_EQ(image.Create(0, 4, 8, -1), 0);
  EXPECT_EQ(image.Create(4, -1, 8, -1), 0);
  EXPECT_EQ(image.StretchDraw(nullptr, 0, 0), 0);
}

TEST(BitmapBlock, RowsArePaddedToFourBytes) {
  CImage image;
  image.Create(1, 2, 8, -1);
  EXPECT_EQ(image.GetBytesPerLine(), 4);
  image.Create(3, 2, 24, -1);
  EXPECT_EQ(image.GetBytesPerLine(), 12);
  image.Create(33, 2, 1, -1);
  EXPECT_EQ(image.GetBytesPerLine(), 8);
  image.Create(7, 2, 4, -1);
  EXPECT_EQ(image.GetBytesPerLine(), 4);
  image.Create(3, 1, 16, -1);
  EXPECT_EQ(image.GetBytesPerLine(), 8);
}

TEST(BitmapBlock, HeaderAndColourTableFollowTheWindowsLayout) {
  CImage image;
  ASSERT_NE(image.Create(10, 3, 8, -1), 0);
  const uint8_t* block = image.GetImpl()->GetDIB();
  const BITMAPINFOHEADER h = LoadInfoHeader(block);
  EXPECT_EQ(LoadLE32(block), 40u);  // little-endian on disk and in memory
  EXPECT_EQ(h.biWidth, 10);
  EXPECT_EQ(h.biHeight, 3);
  EXPECT_EQ(h.biPlanes, 1);
  EXPECT_EQ(h.biBitCount, 8);
  EXPECT_EQ(h.biCompression, 0u);
  EXPECT_EQ(h.biSizeImage, 12u * 3);
  EXPECT_EQ(h.biClrUsed, 256u);
  EXPECT_EQ(h.biClrImportant, 0u);
  EXPECT_EQ(image.GetBits(), block + 40 + 1024);

  // The 16 standard colours, repeated: entry 9 is red, 16 + 12 is blue.
  const uint8_t* table = block + 40;
  auto entry = [&](int i) {
    return uint32_t(table[4 * i + 2]) << 16 | uint32_t(table[4 * i + 1]) << 8 | table[4 * i];
  };
  EXPECT_EQ(entry(0), 0x000000u);
  EXPECT_EQ(entry(1), 0x800000u);
  EXPECT_EQ(entry(7), 0xC0C0C0u);
  EXPECT_EQ(entry(9), 0xFF0000u);
  EXPECT_EQ(entry(15), 0xFFFFFFu);
  EXPECT_EQ(entry(16 + 12), 0x0000FFu);
  EXPECT_EQ(entry(255), 0xFFFFFFu);
  EXPECT_EQ(table[4 * 9 + 3], 0);

  // The block holds the head room for 256 entries at every depth; the pixels
  // start behind the table actually present.
  DibBlock mono = AllocDIB(1, 9, 2);
  ASSERT_TRUE(mono);
  EXPECT_EQ(mono.size(), 1064u + 8);
  EXPECT_EQ(DibPixels(mono.data()), mono.data() + 48);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(mono.data()[40 + i], 0) << "2-entry table stays zero";
  DibBlock colour = AllocDIB(24, 3, 2);
  EXPECT_EQ(LoadInfoHeader(colour.data()).biClrUsed, 0u);
  EXPECT_EQ(DibPixels(colour.data()), colour.data() + 40);
  DibBlock sixteen = AllocDIB(4, 3, 2);
  EXPECT_EQ(LoadInfoHeader(sixteen.data()).biClrUsed, 16u);
  EXPECT_EQ(sixteen.data()[40 + 4 * 12], 0xFF) << "entry 12 is blue";
}

TEST(PixelAccess, PixelZeroIsTheBottomRowInMemory) {
  CImage image;
  ASSERT_NE(image.Create(3, 2, 8, -1), 0);
  EXPECT_EQ(image.SetIndex(2, 0, 0x1234), 1);
  EXPECT_EQ(image.GetBits()[2], 0x34) << "low byte, first row in memory";
  EXPECT_EQ(image.GetIndex(2, 0), 0x34);
  EXPECT_EQ(image.SetIndex(0, 1, 200), 1);
  EXPECT_EQ(image.GetBits()[image.GetBytesPerLine()], 200);
  EXPECT_EQ(image.GetIndex(0, 1), 200) << "read back as unsigned";

  for (auto [x, y] : {std::pair{-1, 0}, {3, 0}, {0, 2}, {0, -1}}) {
    EXPECT_EQ(image.IsInside(x, y), 0);
    EXPECT_EQ(image.GetIndex(x, y), -1);
    EXPECT_EQ(image.SetIndex(x, y, 1), 0);
    uint8_t r, g, b;
    EXPECT_EQ(image.GetRGB(x, y, r, g, b), 0);
    EXPECT_EQ(image.SetRGB(x, y, 1, 2, 3), 0);
  }
  // Without a palette an index pixel shows its colour-table entry.
  uint8_t r = 0, g = 0, b = 0;
  image.SetIndex(1, 1, 9);
  ASSERT_EQ(image.GetRGB(1, 1, r, g, b), 1);
  EXPECT_EQ((std::array<int, 3>{r, g, b}), (std::array<int, 3>{255, 0, 0}));
  EXPECT_EQ(image.SetRGB(1, 1, 0, 250, 250), 1);
  EXPECT_EQ(image.GetIndex(1, 1), 14) << "nearest standard colour: cyan";
}

TEST(PixelAccess, TrueColourPixelsAreBlueGreenRed) {
  CImage image;
  ASSERT_NE(image.Create(3, 2, 24, -1), 0);
  EXPECT_EQ(image.GetIndex(0, 0), -1);
  EXPECT_EQ(image.SetIndex(0, 0, 1), 0);
  ASSERT_EQ(image.SetRGB(2, 1, 10, 20, 30), 1);
  const uint8_t* p = image.GetBits() + image.GetBytesPerLine() + 6;
  EXPECT_EQ(p[0], 30);
  EXPECT_EQ(p[1], 20);
  EXPECT_EQ(p[2], 10);
  uint8_t r, g, b;
  ASSERT_EQ(image.GetRGB(2, 1, r, g, b), 1);
  EXPECT_EQ(r, 10);
  EXPECT_EQ(g, 20);
  EXPECT_EQ(b, 30);

  // A colour type that claims a palette refuses colours while there is none.
  image.Create(3, 2, 24, 3);
  EXPECT_EQ(image.SetRGB(0, 0, 1, 2, 3), 0);
}

TEST(PixelAccess, SixteenAndThirtyTwoBitPixelsKeepTheirFormat) {
  CImage image;
  ASSERT_NE(image.Create(2, 1, 16, -1), 0);
  ASSERT_EQ(image.SetRGB(1, 0, 255, 0, 255), 1);
  EXPECT_EQ(LoadLE16(image.GetBits() + 2), 0x7C1F) << "5-5-5";
  uint8_t r, g, b;
  ASSERT_EQ(image.GetRGB(1, 0, r, g, b), 1);
  EXPECT_EQ((std::array<int, 3>{r, g, b}), (std::array<int, 3>{255, 0, 255}));

  ASSERT_NE(image.Create(2, 1, 32, -1), 0);
  ASSERT_EQ(image.SetRGB(1, 0, 1, 2, 3), 1);
  EXPECT_EQ(LoadLE32(image.GetBits() + 4), 0x010203u);
}

}  // namespace
