// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// PNG reading and writing through libpng.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "image/image.h"
#include "image/image_png.h"
#include "tests/image/picture_files.h"

namespace {

TEST(PngRead, AlphaIsBlendedOverTheBackgroundColour) {
  TempDir dir;
  // Left half opaque red, right half fully transparent, a middle column half.
  Convert({"-size", "9x4", "xc:none", "-fill", "red", "-draw", "rectangle 0,0 3,3", "-fill",
           "#00FF0080", "-draw", "rectangle 4,0 4,3", "PNG32:" + dir.File("a.png")});
  CImage image(dir.File("a.png"), IMAGE_UNKNOWN);
  ASSERT_EQ(image.GetWidth(), 9);
  EXPECT_EQ(image.GetDepth(), 24);
  EXPECT_EQ(image.GetColorType(), 6) << "the file's colour type";
  EXPECT_EQ(image.GetPalette(), nullptr);
  uint8_t r, g, b;
  image.GetRGB(0, 3, r, g, b);
  EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{255, 0, 0}));
  image.GetRGB(8, 0, r, g, b);
  EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{31, 127, 255}));
  image.GetRGB(4, 0, r, g, b);
  EXPECT_NEAR(r, 15, 1);
  EXPECT_NEAR(g, 191, 1);
  EXPECT_NEAR(b, 127, 1);
}

TEST(PngRead, GreyGetsEightBitsAndTheGreyPalette) {
  TempDir dir;
  for (const char* depth : {"8", "16", "4", "1"}) {
    Convert({"-size", "6x5", "gradient:black-white", "-colorspace", "Gray", "-depth", depth,
             "-define", "png:color-type=0", dir.File("g.png")});
    CImage image(dir.File("g.png"), IMAGE_PNG);
    ASSERT_EQ(image.GetWidth(), 6) << depth;
    EXPECT_EQ(image.GetDepth(), 8) << depth;
    ASSERT_NE(image.GetPalette(), nullptr);
    EXPECT_EQ(image.GetPalette()->GetEntryCount(), 256);
    uint8_t r, g, b;
    image.GetRGB(0, 4, r, g, b);  // the top row is black
    EXPECT_EQ(r + g + b, 0) << depth;
    image.GetRGB(0, 0, r, g, b);
    EXPECT_TRUE(r == 255 && g == 255 && b == 255) << depth;
  }
}

TEST(PngRead, PaletteFilesKeepTheirIndices) {
  TempDir dir;
  Convert({"rose:", "-colors", "12", "PNG8:" + dir.File("p.png")});
  CImage image(dir.File("p.png"), IMAGE_PNG);
  ASSERT_EQ(image.GetWidth(), 70);
  EXPECT_TRUE(image.GetDepth() == 4 || image.GetDepth() == 8) << image.GetDepth();
  EXPECT_EQ(image.GetColorType(), 3);
  ASSERT_NE(image.GetPalette(), nullptr);
  EXPECT_LE(image.GetPalette()->GetEntryCount(), 16);
}

TEST(PngRead, BrokenFilesAreRefused) {
  TempDir dir;
  Convert({"rose:", "PNG24:" + dir.File("ok.png")});
  Bytes bytes = ReadFile(dir.File("ok.png"));
  WriteFile(dir.File("text.png"), Bytes{'n', 'o', 't', ' ', 'p', 'n', 'g'});
  Bytes cut = bytes;
  cut.resize(cut.size() / 2);
  WriteFile(dir.File("cut.png"), cut);
  Bytes crc = bytes;
  crc[20] ^= 0xFF;  // inside IHDR: the CRC no longer matches
  WriteFile(dir.File("crc.png"), crc);
  for (const char* name : {"text.png", "cut.png", "crc.png", "missing.png"}) {
    CImagePNG png(dir.File(name));
    EXPECT_EQ(png.Read(""), 0) << name;
  }
  std::mt19937 rng(3);
  for (int i = 0; i < 100; ++i) {
    Bytes damaged = bytes;
    for (int k = 0; k < 3; ++k) damaged[rng() % damaged.size()] = uint8_t(rng());
    WriteFile(dir.File("x.png"), damaged);
    CImage any(dir.File("x.png"), IMAGE_PNG);
    uint8_t r, g, b;
    for (int y = 0; y < any.GetHeight(); ++y)
      for (int x = 0; x < any.GetWidth(); ++x) any.GetRGB(x, y, r, g, b);
  }
}

TEST(PngWrite, RoundTripsKeepThePixels) {
  TempDir dir;
  WriteJpegWithCjpeg(dir, MakeTestPicture(23, 11), dir.File("in.jpg"), "2x2", false);
  CImage jpeg(dir.File("in.jpg"), IMAGE_JPG);
  ASSERT_EQ(jpeg.GetWidth(), 23);

  testing::internal::CaptureStdout();
  CImagePNG png(dir.File("p.png"));
  ASSERT_NE(png.Create(23, 11, 8, -1), 0);
  std::memcpy(png.GetBits(), jpeg.GetBits(), size_t(jpeg.GetBytesPerLine()) * 11);
  uint8_t red[256], green[256], blue[256];
  const int count = jpeg.GetPalette()->GetEntryCount();
  for (int i = 0; i < count; ++i) GetPaletteRGB(jpeg.GetPalette(), i, red[i], green[i], blue[i]);
  png.SetPalette(count, red, green, blue);
  ASSERT_EQ(png.Write(""), 1);
  const std::string trace = testing::internal::GetCapturedStdout();
  EXPECT_EQ(trace.rfind("writig paleta[3 1 ", 0), 0u) << trace;

  CImage back(dir.File("p.png"), IMAGE_UNKNOWN);
  ASSERT_EQ(back.GetWidth(), 23);
  EXPECT_EQ(back.GetPalette()->GetEntryCount(), count);
  EXPECT_EQ(AllColours(back), AllColours(jpeg));

  for (int depth : {24, 1, 4, 8}) {
    CImage image;
    ASSERT_NE(image.Create(10, 6, depth, -1), 0);
    std::vector<uint8_t> red, green, blue;
    if (depth <= 8) {
      // A palette of its own with every entry used, so that lost indices or
      // entries show.
      const int entries = 1 << depth;
      for (int i = 0; i < entries; ++i) {
        red.push_back(uint8_t(255 - i));
        green.push_back(uint8_t(i * 7));
        blue.push_back(uint8_t(i % 2 ? 220 : 10));
      }
      ASSERT_EQ(image.SetPalette(entries, red.data(), green.data(), blue.data()), 1);
      for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x) image.SetIndex(x, y, (x + 3 * y) % entries);
    } else {
      for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x) image.SetRGB(x, y, uint8_t(x * 25), uint8_t(y * 40), 99);
    }
    ASSERT_GE(AllColours(image).size(), 2u);
    CImagePNG writer(dir.File("d.png"));
    ASSERT_NE(writer.Create(10, 6, depth, -1), 0);
    if (depth <= 8) {
      ASSERT_EQ(writer.SetPalette(int(red.size()), red.data(), green.data(), blue.data()), 1);
    }
    std::memcpy(writer.GetBits(), image.GetBits(), size_t(image.GetBytesPerLine()) * 6);
    ASSERT_EQ(writer.Write(""), 1) << depth;
    CImage again(dir.File("d.png"), IMAGE_PNG);
    EXPECT_EQ(AllColours(again), AllColours(image)) << depth;
  }

  // A 24-bit image read from an RGBA file is written as RGB.
  Convert({"-size", "3x3", "xc:#FF000080", "PNG32:" + dir.File("rgba.png")});
  CImagePNG fromAlpha(dir.File("rgba.png"));
  ASSERT_EQ(fromAlpha.Read(""), 1);
  ASSERT_EQ(fromAlpha.Write(dir.File("rgb.png")), 1);
  EXPECT_EQ(ReadFile(dir.File("rgb.png"))[25], 2) << "colour type RGB";
  CImage rgb(dir.File("rgb.png"), IMAGE_PNG), original(dir.File("rgba.png"), IMAGE_PNG);
  EXPECT_EQ(AllColours(rgb), AllColours(original));
}

TEST(PngWrite, FailuresLeaveNoFile) {
  TempDir dir;
  CImagePNG png(dir.File("x.png"));
  EXPECT_EQ(png.Write(""), 0) << "no bitmap";
  png.Create(4, 4, 16, -1);
  EXPECT_EQ(png.Write(""), 0) << "16-bit";
  EXPECT_FALSE(FileExists(dir.File("x.png")));
  png.Create(400, 400, 24, -1);
  EXPECT_EQ(png.Write("/dev/full"), 0);
  EXPECT_EQ(png.Write(dir.File("no/such/x.png")), 0);
  EXPECT_EQ(png.Write(dir.File("ok.png")), 1);
}

}  // namespace
