// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// GIF reading: the block structure, transparency and palette rules,
// interlacing, code sizes and damaged data.
#include <gtest/gtest.h>

#include <random>

#include "image/image.h"
#include "image/gif_decoder.h"
#include "image/image_gif.h"
#include "tests/image/picture_files.h"

namespace {

// Entry i = (i * 4, 255 - i * 4, i), n entries.
Bytes Table(int n) {
  Bytes t;
  t.reserve(size_t(n) * 3);
  for (int i = 0; i < n; ++i) {
    t.push_back(uint8_t(i * 4));
    t.push_back(uint8_t(255 - i * 4));
    t.push_back(uint8_t(i));
  }
  return t;
}

GifLayout Checkers(int width, int height, int colours) {
  GifLayout s;
  s.width = width;
  s.height = height;
  s.globalTable = Table(colours);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) s.pixels.push_back(uint8_t((x + 3 * y) % colours));
  return s;
}

// Index of picture pixel (x, yFromTop).
int PictureIndex(CImage& image, int x, int yFromTop) {
  return image.GetIndex(x, image.GetHeight() - 1 - yFromTop);
}

TEST(GifRead, BothVersionsAndOnlyThem) {
  TempDir dir;
  for (const char* version : {"87a", "89a"}) {
    GifLayout s = Checkers(5, 4, 16);
    s.version = version;
    WriteFile(dir.File("a.gif"), EncodeGif(s));
    CImage image(dir.File("a.gif"), IMAGE_UNKNOWN);
    ASSERT_EQ(image.GetWidth(), 5) << version;
    EXPECT_EQ(image.GetDepth(), 8);
    EXPECT_EQ(image.GetColorType(), 3);
    EXPECT_EQ(image.GetImpl()->GetTransparentIndex(), -1);
    EXPECT_EQ(image.GetPalette()->GetEntryCount(), 16);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 5; ++x) ASSERT_EQ(PictureIndex(image, x, y), (x + 3 * y) % 16);
    uint8_t r, g, b;
    image.GetRGB(1, 3, r, g, b);  // picture (1, 0): index 1
    EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{4, 251, 1}));
  }
  Bytes other = EncodeGif(Checkers(5, 4, 16));
  other[3] = '7';  // "GIF7..."
  WriteFile(dir.File("b.gif"), other);
  EXPECT_EQ(CImage(dir.File("b.gif"), IMAGE_GIF).IsValid(), 0);
  WriteFile(dir.File("c.gif"), Bytes{'G', 'I', 'F'});
  EXPECT_EQ(CImage(dir.File("c.gif"), IMAGE_GIF).IsValid(), 0);
  GifLayout none = Checkers(5, 4, 16);
  none.withImage = false;
  WriteFile(dir.File("d.gif"), EncodeGif(none));
  CImageGIF noImage(dir.File("d.gif"));
  EXPECT_EQ(noImage.Read(""), 0) << "a file without an image is no picture";
  CImageGIF gif(dir.File("a.gif"));
  EXPECT_EQ(gif.Write(dir.File("out.gif")), 0);
  EXPECT_FALSE(FileExists(dir.File("out.gif")));
}

TEST(GifRead, TransparentIndexGetsBlackAndTheTableGetsWhite) {
  TempDir dir;
  GifLayout s = Checkers(6, 3, 8);
  s.transparent = 5;
  WriteFile(dir.File("t.gif"), EncodeGif(s));
  CImage image(dir.File("t.gif"), IMAGE_GIF);
  ASSERT_EQ(image.GetWidth(), 6);
  EXPECT_EQ(image.GetImpl()->GetTransparentIndex(), 5);
  ASSERT_EQ(image.GetPalette()->GetEntryCount(), 256);
  uint8_t r, g, b;
  GetPaletteRGB(image.GetPalette(), 5, r, g, b);
  EXPECT_EQ(r + g + b, 0);
  GetPaletteRGB(image.GetPalette(), 4, r, g, b);
  EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{16, 239, 4}));
  for (int i = 8; i < 256; ++i) {
    GetPaletteRGB(image.GetPalette(), i, r, g, b);
    ASSERT_TRUE(r == 255 && g == 255 && b == 255) << i;
  }

  // A full table without white gets white at 255.
  GifLayout full = Checkers(4, 4, 256);
  full.transparent = 5;
  WriteFile(dir.File("full.gif"), EncodeGif(full));
  CImage image2(dir.File("full.gif"), IMAGE_GIF);
  GetPaletteRGB(image2.GetPalette(), 255, r, g, b);
  EXPECT_TRUE(r == 255 && g == 255 && b == 255);
  GetPaletteRGB(image2.GetPalette(), 5, r, g, b);
  EXPECT_EQ(r + g + b, 0);

  // Drawn, the transparent pixels keep the background.
  CSoftwareDC dc(6, 3);
  dc.SelectSolidBrush(0x336699);
  dc.Rectangle(0, 0, 6, 3);
  dc.SelectPalette(image.GetPalette());
  image.StretchDraw(&dc, 0, 0);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 6; ++x) {
      const int index = (x + 3 * y) % 8;
      const uint32_t want = index == 5 ? 0x336699u : uint32_t(index * 4) << 16 | uint32_t(255 - index * 4) << 8 | uint32_t(index);
      ASSERT_EQ(dc.GetPixel(x, y), want) << x << "," << y;
    }
  // Reading a file without transparency forgets the index.
  WriteFile(dir.File("o.gif"), EncodeGif(Checkers(2, 2, 4)));
  ASSERT_NE(image.Load(dir.File("o.gif"), IMAGE_GIF), 0);
  EXPECT_EQ(image.GetImpl()->GetTransparentIndex(), -1);
}

TEST(GifRead, LocalTableReplacesTheGlobalOneAndNoTableKeepsTheStandardColours) {
  TempDir dir;
  GifLayout s = Checkers(4, 2, 4);
  s.localTable = {9, 9, 9, 8, 8, 8, 7, 7, 7, 6, 6, 6};
  WriteFile(dir.File("l.gif"), EncodeGif(s));
  CImage image(dir.File("l.gif"), IMAGE_GIF);
  uint8_t r, g, b;
  ASSERT_EQ(GetPaletteRGB(image.GetPalette(), 1, r, g, b), 1);
  EXPECT_EQ(r, 8);

  GifLayout bare = Checkers(4, 2, 4);
  bare.globalTable.clear();
  WriteFile(dir.File("n.gif"), EncodeGif(bare));
  CImage plain(dir.File("n.gif"), IMAGE_GIF);
  ASSERT_EQ(plain.GetWidth(), 4);
  EXPECT_EQ(plain.GetPalette(), nullptr);
  ASSERT_EQ(plain.GetRGB(1, 1, r, g, b), 1);  // index 1: dark red
  EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{128, 0, 0}));
}

TEST(GifRead, InterlacedRowsFollowTheFourPasses) {
  TempDir dir;
  const std::vector<int> order = {0, 8, 16, 4, 12, 2, 6, 10, 14, 18, 1, 3, 5, 7, 9, 11, 13, 15, 17, 19};
  GifLayout s;
  s.width = 3;
  s.height = 20;
  s.interlaced = true;
  s.globalTable = Table(32);
  for (int row : order)
    for (int x = 0; x < 3; ++x) s.pixels.push_back(uint8_t(row));
  WriteFile(dir.File("i.gif"), EncodeGif(s));
  CImage image(dir.File("i.gif"), IMAGE_GIF);
  ASSERT_EQ(image.GetHeight(), 20);
  for (int y = 0; y < 20; ++y) EXPECT_EQ(PictureIndex(image, 2, y), y) << "picture row " << y;

  // Heights whose later passes hold no row.
  for (int height : {1, 2, 3, 5}) {
    GifLayout small = s;
    small.height = height;
    small.pixels.clear();
    const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    std::vector<int> rows;
    for (int pass = 0; pass < 4; ++pass)
      for (int y = start[pass]; y < height; y += step[pass]) rows.push_back(y);
    for (int row : rows)
      for (int x = 0; x < 3; ++x) small.pixels.push_back(uint8_t(row + 1));
    WriteFile(dir.File("s.gif"), EncodeGif(small));
    CImage little(dir.File("s.gif"), IMAGE_GIF);
    for (int y = 0; y < height; ++y) EXPECT_EQ(PictureIndex(little, 0, y), y + 1) << height;
  }
}

TEST(GifRead, CodeSizesOutsideTwoToNineDecodeNothing) {
  TempDir dir;
  for (int size : {1, 10}) {
    GifLayout s = Checkers(4, 3, 4);
    s.minCodeSize = size;
    WriteFile(dir.File("z.gif"), EncodeGif(s));
    CImage image(dir.File("z.gif"), IMAGE_GIF);
    ASSERT_EQ(image.GetWidth(), 4) << size;
    EXPECT_EQ(image.IsValid(), 1);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) EXPECT_EQ(image.GetIndex(x, y), 0) << size;
  }
  // Code size 2, the smallest: four colours.
  GifLayout two = Checkers(7, 5, 4);
  two.minCodeSize = 2;
  WriteFile(dir.File("two.gif"), EncodeGif(two));
  CImage image(dir.File("two.gif"), IMAGE_GIF);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) ASSERT_EQ(PictureIndex(image, x, y), (x + 3 * y) % 4);
}

// Decodes a code stream of code size 2 (3-bit codes) into one row of 3.
int DecodeRow(const Bytes& stream, Bytes& row, int& badCodes) {
  std::FILE* file = fmemopen(const_cast<uint8_t*>(stream.data()), stream.size(), "rb");
  EXPECT_NE(file, nullptr);
  auto reader = std::make_unique<GifByteReader>(file);
  row.assign(4, 0xEE);  // one row of 4 bytes
  GifLineWriter writer(row.data(), 4, 1, false);
  auto decoder = std::make_unique<GifDecoder>(*reader, writer);
  const int result = decoder->Decode(3, badCodes);
  std::fclose(file);
  return result;
}

TEST(GifDecoder, CountsOnlyCodesBeyondTheNextFreeSlot) {
  // Codes clear (4), 1, then 7: beyond the next free slot (6), counted and
  // decoded as the old code's string plus its first character; then end (5).
  Bytes row;
  int badCodes = -1;
  EXPECT_EQ(DecodeRow({2, 2, 0xCC, 0x0B, 0}, row, badCodes), 0);
  EXPECT_EQ(badCodes, 1);
  EXPECT_EQ(row, (Bytes{1, 1, 1, 0xEE}));
  // Code 6, the slot about to be defined, is the ordinary KwKwK case.
  EXPECT_EQ(DecodeRow({2, 2, 0x8C, 0x0B, 0}, row, badCodes), 0);
  EXPECT_EQ(badCodes, 0);
  EXPECT_EQ(row, (Bytes{1, 1, 1, 0xEE}));
  // Code sizes outside 2..9, and a stream that ends early.
  EXPECT_EQ(DecodeRow({1, 2, 0xCC, 0x0B, 0}, row, badCodes), GifDecoder::kBadCodeSize);
  EXPECT_EQ(DecodeRow({10, 2, 0xCC, 0x0B, 0}, row, badCodes), GifDecoder::kBadCodeSize);
  EXPECT_EQ(DecodeRow({}, row, badCodes), GifDecoder::kBadCodeSize);
  EXPECT_EQ(DecodeRow({2, 1, 0x0C}, row, badCodes), 0);
  EXPECT_EQ(row, (Bytes{1, 0xEE, 0xEE, 0xEE})) << "the part of the row decoded is kept";
}

TEST(GifRead, DamagedDataIsDecodedAsFarAsItIsSound) {
  TempDir dir;
  // Cut in the middle of the image data: the rows decoded so far stay.
  const Bytes whole = EncodeGif(Checkers(10, 10, 16));
  ASSERT_GT(whole.size(), 100u);
  WriteFile(dir.File("cut.gif"), Bytes(whole.begin(), whole.end() - 60));
  CImage cut(dir.File("cut.gif"), IMAGE_GIF);
  ASSERT_EQ(cut.GetWidth(), 10);
  EXPECT_EQ(PictureIndex(cut, 3, 1), 6);
  EXPECT_EQ(PictureIndex(cut, 9, 9), 0) << "not decoded";

  // More data than rows: decoding stops at the last row.
  GifLayout extra = Checkers(4, 2, 4);
  extra.pixels.resize(400, 1);
  WriteFile(dir.File("extra.gif"), EncodeGif(extra));
  CImage image(dir.File("extra.gif"), IMAGE_GIF);
  EXPECT_EQ(PictureIndex(image, 3, 1), (3 + 3) % 4);

  // Random damage everywhere; every read ends, within the buffers.
  std::mt19937 rng(11);
  const Bytes clean = EncodeGif(Checkers(33, 17, 64));
  for (int i = 0; i < 300; ++i) {
    Bytes damaged = clean;
    for (int k = 0; k < 4; ++k) damaged[rng() % damaged.size()] = uint8_t(rng());
    WriteFile(dir.File("x.gif"), damaged);
    CImage any(dir.File("x.gif"), IMAGE_GIF);
    if (any.IsValid()) {
      CSoftwareDC dc(40, 20);
      dc.SelectPalette(any.GetPalette());
      any.StretchDraw(&dc, 0, 0);
    }
  }
  // Random code streams after a sound header: undefined codes and long chains.
  for (int i = 0; i < 100; ++i) {
    GifLayout head;
    head.width = head.height = 64;
    head.globalTable = Table(256);
    head.withImage = false;
    Bytes b = EncodeGif(head);
    b.pop_back();  // the trailer
    b.insert(b.end(), {0x2C, 0, 0, 0, 0, 64, 0, 64, 0, uint8_t(i % 2 ? 0x40 : 0), uint8_t(2 + i % 8)});
    for (int block = 0; block < 20; ++block) {
      b.push_back(255);
      for (int k = 0; k < 255; ++k) b.push_back(uint8_t(rng()));
    }
    WriteFile(dir.File("r.gif"), b);
    CImage noise(dir.File("r.gif"), IMAGE_GIF);
    EXPECT_EQ(noise.GetWidth(), 64);
  }
}

}  // namespace
