// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Drawing into the software device context: defaults, scaling, palette
// lookup, raster operations, transparency and clipping.
#include <gtest/gtest.h>

#include <vector>

#include "image/dib_draw.h"
#include "image/image.h"

namespace {

uint32_t Rgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

// A palette of 256 distinct colours: entry i = (i, 255 - i, i / 2).
void SetDistinctPalette(CImage& image) {
  uint8_t red[256], green[256], blue[256];
  for (int i = 0; i < 256; ++i) red[i] = uint8_t(i), green[i] = uint8_t(255 - i), blue[i] = uint8_t(i / 2);
  image.SetPalette(256, red, green, blue);
}
uint32_t DistinctColour(int i) { return Rgb(i, 255 - i, i / 2); }

// Index of the picture pixel (x, yFromTop) in the test pictures.
int TestIndex(int x, int yFromTop) { return (x * 7 + yFromTop * 13) & 0xFF; }

void FillTestPicture(CImage& image) {
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x)
      image.SetIndex(x, image.GetHeight() - 1 - y, TestIndex(x, y));
}

TEST(StretchDraw, ScalesTheWholePictureByNearestRowAndColumn) {
  CImage image;
  ASSERT_NE(image.Create(640, 480, 8, -1), 0);
  SetDistinctPalette(image);
  FillTestPicture(image);
  CSoftwareDC dc(348, 240);
  dc.SelectSolidBrush(0x123456);
  dc.Rectangle(0, 0, 348, 240);
  dc.SelectPalette(image.GetPalette());
  EXPECT_EQ(image.StretchDraw(&dc, 10, 20, 300, 200, 0, 0, -1, -1), 1);

  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 348; ++x) {
      const bool inside = x >= 10 && x < 310 && y >= 20 && y < 220;
      uint32_t want = 0x123456;
      if (inside) {
        const int sx = ((2 * (x - 10) + 1) * 640) / 600;
        const int sy = ((2 * (y - 20) + 1) * 480) / 400;
        want = DistinctColour(TestIndex(sx, sy));
      }
      ASSERT_EQ(dc.GetPixel(x, y), want) << x << "," << y;
    }
  }
}

TEST(StretchDraw, SourceRectangleDefaultsCountFromItsOrigin) {
  CImage image;
  ASSERT_NE(image.Create(640, 4, 8, -1), 0);
  SetDistinctPalette(image);
  FillTestPicture(image);
  CSoftwareDC dc(540, 4);
  dc.SelectPalette(image.GetPalette());
  // srcWidth -1 with xSrc 100 covers 540 columns: drawn 1:1 into 540.
  image.StretchDraw(&dc, 0, 0, 540, 4, 100, 0, -1, -1);
  for (int x = 0; x < 540; ++x) ASSERT_EQ(dc.GetPixel(x, 1), DistinctColour(TestIndex(100 + x, 1)));

  // ySrc counts from the bottom row: ySrc 1 with srcHeight -1 leaves out the
  // bottom row and shows the top three picture rows stretched over four.
  CSoftwareDC tall(4, 6);
  tall.SelectPalette(image.GetPalette());
  image.StretchDraw(&tall, 0, 0, 4, 6, 0, 1, 4, -1);
  for (int y = 0; y < 6; ++y) EXPECT_EQ(tall.GetPixel(0, y), DistinctColour(TestIndex(0, (2 * y + 1) * 3 / 12)));
}

TEST(StretchDraw, WithoutBitmapOrContextNothingIsDrawn) {
  CImage empty;
  CSoftwareDC dc(4, 4);
  EXPECT_EQ(empty.StretchDraw(&dc, 0, 0), 0);
  CImage image;
  image.Create(2, 2, 8, -1);
  EXPECT_EQ(image.StretchDraw(nullptr, 0, 0), 1);
  CSoftwareDC none;
  EXPECT_EQ(image.StretchDraw(&none, 0, 0), 1);
  EXPECT_EQ(image.Draw(&none, 0, 0), 1);
  EXPECT_EQ(empty.Draw(&dc, 0, 0), 0);
  // Empty and mirrored rectangles draw nothing.
  image.SetIndex(0, 0, 15);
  image.StretchDraw(&dc, 0, 0, 0, 2);
  image.StretchDraw(&dc, 0, 0, -3, 2);
  image.StretchDraw(&dc, 0, 0, 2, 2, 0, 0, 0, 2);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dc.GetPixel(x, y), 0u);
}

TEST(StretchDraw, IndexFormLooksUpTheSelectedPalette) {
  CImage image;
  image.Create(2, 1, 8, -1);
  image.SetIndex(0, 0, 9);
  image.SetIndex(1, 0, 300);  // low byte 44
  CSoftwareDC dc(2, 1);
  // No palette object: the colour table's own colours (9 is red).
  image.StretchDraw(&dc, 0, 0);
  EXPECT_EQ(dc.GetPixel(0, 0), 0xFF0000u);
  EXPECT_EQ(dc.GetPixel(1, 0), 0x0000FFu) << "44 = 16 * 2 + 12: blue";

  SetDistinctPalette(image);
  image.StretchDraw(&dc, 0, 0);  // still the stock palette selected: entry 9 sky blue
  EXPECT_EQ(dc.GetPixel(0, 0), 0xA6CAF0u);
  EXPECT_EQ(dc.GetPixel(1, 0), 0u) << "beyond the stock palette: black";
  dc.SelectPalette(image.GetPalette());
  image.StretchDraw(&dc, 0, 0);
  EXPECT_EQ(dc.GetPixel(0, 0), DistinctColour(9));
  EXPECT_EQ(dc.GetPixel(1, 0), DistinctColour(44));
}

TEST(StretchDraw, ClipsToTheSurfaceAndTheBitmap) {
  CImage image;
  image.Create(4, 4, 24, -1);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) image.SetRGB(x, y, uint8_t(x * 60), uint8_t(y * 60), 7);
  CSoftwareDC dc(3, 3);
  image.StretchDraw(&dc, -2, -1, 8, 8);  // 2x, shifted up and left
  // Surface (0, 0) is destination (2, 1): column 1, picture row 0 (memory row 3).
  EXPECT_EQ(dc.GetPixel(0, 0), Rgb(60, 180, 7));
  EXPECT_EQ(dc.GetPixel(2, 2), Rgb(120, 120, 7));

  // A source rectangle reaching past the bitmap draws only what exists.
  CSoftwareDC wide(8, 1);
  wide.SelectSolidBrush(0x010101);
  wide.Rectangle(0, 0, 8, 1);
  image.StretchDraw(&wide, 0, 0, 8, 1, 2, 0, 8, 1);
  EXPECT_EQ(wide.GetPixel(0, 0), Rgb(120, 0, 7));
  EXPECT_EQ(wide.GetPixel(1, 0), Rgb(180, 0, 7));
  for (int x = 2; x < 8; ++x) EXPECT_EQ(wide.GetPixel(x, 0), 0x010101u);
}

TEST(StretchDraw, RasterOperationsWorkPerChannel) {
  CImage image;
  image.Create(1, 1, 24, -1);
  image.SetRGB(0, 0, 0xF0, 0x0F, 0x33);
  CSoftwareDC dc(1, 1);
  const uint8_t* bits = image.GetBits();
  const uint8_t* block = image.GetImpl()->GetDIB();
  dc.SelectSolidBrush(0x3C3C3C);
  dc.Rectangle(0, 0, 1, 1);
  StretchDIBits(dc, 0, 0, 1, 1, 0, 0, 1, 1, bits, block, DIB_RGB_COLORS, SRCAND);
  EXPECT_EQ(dc.GetPixel(0, 0), 0x300C30u);
  dc.Rectangle(0, 0, 1, 1);
  StretchDIBits(dc, 0, 0, 1, 1, 0, 0, 1, 1, bits, block, DIB_RGB_COLORS, SRCPAINT);
  EXPECT_EQ(dc.GetPixel(0, 0), 0xFC3F3Fu);
  StretchDIBits(dc, 0, 0, 1, 1, 0, 0, 1, 1, bits, block, DIB_RGB_COLORS, SRCCOPY);
  EXPECT_EQ(dc.GetPixel(0, 0), 0xF00F33u);
}

// A 6 x 5 picture whose index 5 is transparent, over a patterned background.
void CheckTransparentDraw(const uint8_t* red, const uint8_t* green, const uint8_t* blue, int count) {
  CImage image;
  ASSERT_NE(image.Create(6, 5, 8, -1), 0);
  image.SetPalette(count, red, green, blue);
  image.GetImpl()->SetTransparentIndex(5);
  std::vector<int> before;
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) {
      image.SetIndex(x, y, (x + y) % 2 ? 5 : (x + 2 * y) % count);
      before.push_back(image.GetIndex(x, y));
    }
  CSoftwareDC dc(12, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x) dc.Row(y)[x] = Rgb(x * 20, y * 25, 99);
  dc.SelectPalette(image.GetPalette());
  EXPECT_EQ(image.StretchDraw(&dc, 0, 0, 12, 10), 1);

  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x) {
      const int index = before[size_t(4 - y / 2) * 6 + x / 2];
      uint32_t want = Rgb(x * 20, y * 25, 99);
      if (index != 5) want = Rgb(red[index], green[index], blue[index]);
      ASSERT_EQ(dc.GetPixel(x, y), want) << x << "," << y;
    }
  std::vector<int> after;
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) after.push_back(image.GetIndex(x, y));
  EXPECT_EQ(after, before) << "the bitmap ends as it began";
}

TEST(StretchDraw, TransparentPixelsShowTheBackground) {
  // Black at 0 and white at 255, as the GIF reader arranges.
  uint8_t red[256], green[256], blue[256];
  for (int i = 0; i < 256; ++i) red[i] = uint8_t(i * 3), green[i] = uint8_t(i * 5), blue[i] = uint8_t(i * 7);
  red[0] = green[0] = blue[0] = 0;
  red[255] = green[255] = blue[255] = 255;
  red[5] = green[5] = blue[5] = 0;
  CheckTransparentDraw(red, green, blue, 256);
}

TEST(StretchDraw, TransparentDrawWithoutPureBlackOrWhiteStillRestoresTheBitmap) {
  const uint8_t red[8] = {30, 200, 90, 10, 60, 70, 240, 120};
  const uint8_t green[8] = {40, 210, 80, 20, 50, 60, 230, 130};
  const uint8_t blue[8] = {20, 190, 70, 30, 40, 50, 220, 140};
  CImage image;
  ASSERT_NE(image.Create(3, 2, 8, -1), 0);
  image.SetPalette(8, red, green, blue);
  image.GetImpl()->SetTransparentIndex(5);
  for (int i = 0; i < 6; ++i) image.SetIndex(i % 3, i / 3, i + 1);
  CSoftwareDC dc(3, 2);
  dc.SelectSolidBrush(0xFFFFFF);
  dc.Rectangle(0, 0, 3, 2);
  dc.SelectPalette(image.GetPalette());
  EXPECT_EQ(image.StretchDraw(&dc, 0, 0), 1);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(image.GetIndex(i % 3, i / 3), i + 1);
  // The mask colours are the nearest entries, 3 (10, 20, 30) for black and 6
  // (240, 230, 220) for white; over white an opaque pixel comes out as
  // near-black OR picture, a transparent one as near-white OR near-black.
  EXPECT_EQ(dc.GetPixel(0, 1), Rgb(10 | 200, 20 | 210, 30 | 190));
  EXPECT_EQ(dc.GetPixel(1, 0), Rgb(240 | 10, 230 | 20, 220 | 30));
}

TEST(Draw, CopiesUnscaledFromTheStartScan) {
  CImage image;
  image.Create(3, 3, 8, -1);
  SetDistinctPalette(image);
  FillTestPicture(image);
  CSoftwareDC dc(5, 4);  // picture row 2 falls below the surface
  dc.SelectPalette(image.GetPalette());
  EXPECT_EQ(image.Draw(&dc, 1, 2), 1);
  EXPECT_EQ(dc.GetPixel(1, 2), DistinctColour(TestIndex(0, 0)));
  EXPECT_EQ(dc.GetPixel(3, 3), DistinctColour(TestIndex(2, 1)));
  EXPECT_EQ(dc.GetPixel(0, 2), 0u);

  CSoftwareDC part(3, 3);
  part.SelectPalette(image.GetPalette());
  image.Draw(&part, 0, 0, 2, 2, 1);  // 2 x 2 from column 1, bottom two rows
  EXPECT_EQ(part.GetPixel(0, 0), DistinctColour(TestIndex(1, 1)));
  EXPECT_EQ(part.GetPixel(1, 1), DistinctColour(TestIndex(2, 2)));
  EXPECT_EQ(part.GetPixel(2, 0), 0u);
}

TEST(SoftwareDC, RectangleFillsHalfOpenAndClips) {
  std::vector<uint32_t> pixels(5 * 2, 0xAAAAAA);  // rows of 4 pixels, stride of 5
  CSoftwareDC dc(pixels.data(), 4, 2, 20);
  dc.SelectSolidBrush(0xFF112233);
  dc.Rectangle(1, 0, 3, 1);
  EXPECT_EQ(dc.GetPixel(0, 0), 0xAAAAAAu);
  EXPECT_EQ(dc.GetPixel(1, 0), 0x112233u);
  EXPECT_EQ(dc.GetPixel(2, 0), 0x112233u);
  EXPECT_EQ(dc.GetPixel(3, 0), 0xAAAAAAu);
  EXPECT_EQ(dc.GetPixel(1, 1), 0xAAAAAAu);
  dc.Rectangle(-5, -5, 50, 50);
  EXPECT_EQ(pixels[4], 0xAAAAAAu) << "the stride's spare pixel is untouched";
  EXPECT_EQ(pixels[8], 0x112233u);
  EXPECT_EQ(pixels[9], 0xAAAAAAu) << "nothing below the surface";
  dc.Rectangle(3, 0, 1, 2);  // right of left: nothing
  CSoftwareDC none(nullptr, 4, 4, 16);
  EXPECT_FALSE(none.HasSurface());
}

}  // namespace
