// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Palettes: making, adopting and looking up, and the colour-table forms.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/dib_block.h"
#include "image/image.h"
#include "image/image_warning.h"
#include "image/palette.h"

namespace {

uint16_t TableWord(const CImage& image, int i) {
  return LoadLE16(image.GetImpl()->GetDIB() + 40 + 2 * i);
}

std::vector<std::string> g_warnings;
void Collect(const char* message) { g_warnings.push_back(message); }

TEST(Palette, SetPaletteTurnsTheTableIntoIndexForm) {
  CImage image;
  ASSERT_NE(image.Create(4, 4, 8, -1), 0);
  uint8_t grey[256];
  for (int i = 0; i < 256; ++i) grey[i] = uint8_t(i);
  EXPECT_EQ(image.SetPalette(256, grey), 1);
  EXPECT_EQ(image.GetColorType(), 3);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(TableWord(image, i), i);
  ASSERT_NE(image.GetPalette(), nullptr);
  EXPECT_EQ(image.GetPalette()->GetEntryCount(), 256);
  uint8_t r, g, b;
  ASSERT_EQ(GetPaletteRGB(image.GetPalette(), 77, r, g, b), 1);
  EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{77, 77, 77}));

  // Blue falls back on green, which is given.
  const uint8_t red[2] = {10, 20}, green[2] = {30, 40};
  EXPECT_EQ(image.SetPalette(2, red, green), 1);
  ASSERT_EQ(GetPaletteRGB(image.GetPalette(), 1, r, g, b), 1);
  EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{20, 40, 40}));
  // The pixels now show palette colours.
  image.SetIndex(0, 0, 1);
  ASSERT_EQ(image.GetRGB(0, 0, r, g, b), 1);
  EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{20, 40, 40}));
  image.SetIndex(1, 0, 2);  // beyond this palette
  EXPECT_EQ(image.GetRGB(1, 0, r, g, b), 0);
  // SetRGB picks the nearest palette entry.
  EXPECT_EQ(image.SetRGB(2, 0, 12, 33, 31), 1);
  EXPECT_EQ(image.GetIndex(2, 0), 0);
  // Create discards the palette and writes the standard colours again.
  image.Create(4, 4, 8, -1);
  EXPECT_EQ(image.GetPalette(), nullptr);
  EXPECT_EQ(image.GetColorType(), 0);
  EXPECT_EQ(LoadLE32(image.GetImpl()->GetDIB() + 40 + 4 * 9), 0xFF0000u) << "red again";
}

TEST(Palette, SecondPaletteThroughRgbTriplesWarnsAndReplaces) {
  g_warnings.clear();
  ImageWarningHandler previous = SetImageWarningHandler(Collect);
  CImage image;
  image.Create(2, 2, 8, -1);
  const uint8_t rgb[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(image.SetPaletteRGB(2, rgb), 1);
  EXPECT_TRUE(g_warnings.empty());
  const uint8_t other[3] = {9, 8, 7};
  EXPECT_EQ(image.SetPaletteRGB(1, other), 1);
  ASSERT_EQ(g_warnings.size(), 1u);
  EXPECT_EQ(g_warnings[0], "CImageImpl::imagePalette already exists!");
  uint8_t r, g, b;
  ASSERT_EQ(GetPaletteRGB(image.GetPalette(), 0, r, g, b), 1);
  EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{9, 8, 7}));
  EXPECT_EQ(image.SetPaletteRGB(257, other), 0) << "more than 256 triples";

  // SetPalette and AttachPalette replace silently.
  const uint8_t one[1] = {5};
  image.SetPalette(1, one);
  image.AttachPalette(std::make_unique<CPalette>());
  EXPECT_EQ(g_warnings.size(), 1u);
  SetImageWarningHandler(previous);
}

TEST(Palette, AttachPaletteAdoptsTheObject) {
  CImage image;
  image.Create(2, 2, 4, -1);
  EXPECT_EQ(image.AttachPalette(nullptr), 0);
  auto palette = std::make_unique<CPalette>();
  const uint8_t r[3] = {1, 2, 3};
  ASSERT_EQ(CreateImagePalette(*palette, 3, r, r, r), 1);
  EXPECT_EQ(CreateImagePalette(*palette, 3, r, r, r), 0) << "already holds a handle";
  CPalette* raw = palette.get();
  EXPECT_EQ(image.AttachPalette(std::move(palette)), 1);
  EXPECT_EQ(image.GetPalette(), raw);
  EXPECT_EQ(image.GetColorType(), 3);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(TableWord(image, i), i);
}

TEST(Palette, PaletteWithoutHandleStillMapsTheTable) {
  CImage image;
  image.Create(2, 2, 8, -1);
  const uint8_t r[1] = {1};
  EXPECT_EQ(image.SetPalette(0, r), 1);  // no entries: no handle
  ASSERT_NE(image.GetPalette(), nullptr);
  EXPECT_FALSE(image.GetPalette()->HasHandle());
  EXPECT_EQ(image.GetColorType(), 3);
  uint8_t g, b, x;
  EXPECT_EQ(GetPaletteRGB(image.GetPalette(), 0, x, g, b), 0);
}

TEST(Palette, MapDibColoursBothWaysAndLeavesTrueColourAlone) {
  EXPECT_EQ(MapDIBColors(nullptr, nullptr, 1), 0);

  DibBlock colour = AllocDIB(24, 4, 4);
  std::vector<uint8_t> before(colour.data(), colour.data() + colour.size());
  EXPECT_EQ(MapDIBColors(colour.data(), nullptr, 1), 1);
  EXPECT_EQ(MapDIBColors(colour.data(), nullptr, 0), 1);
  EXPECT_EQ(std::vector<uint8_t>(colour.data(), colour.data() + colour.size()), before);

  // Three bit-field masks are not colours.
  DibBlock fields = AllocDIB(16, 4, 4);
  BITMAPINFOHEADER h = LoadInfoHeader(fields.data());
  h.biCompression = BI_BITFIELDS;
  h.biClrUsed = 3;
  StoreInfoHeader(fields.data(), h);
  StoreLE32(fields.data() + 40, 0xF800);
  EXPECT_EQ(MapDIBColors(fields.data(), nullptr, 1), 1);
  EXPECT_EQ(LoadLE32(fields.data() + 40), 0xF800u);

  DibBlock mono = AllocDIB(8, 2, 2);
  h = LoadInfoHeader(mono.data());
  h.biClrUsed = 0;  // counted from the depth
  StoreInfoHeader(mono.data(), h);
  EXPECT_EQ(MapDIBColors(mono.data(), nullptr, 1), 1);
  EXPECT_EQ(LoadLE16(mono.data() + 40 + 2 * 255), 255);

  // Mode 0 brings RGB entries back from a palette; entries it lacks are black.
  CPalette palette;
  const uint8_t red[2] = {0x11, 0x22}, green[2] = {0x33, 0x44}, blue[2] = {0x55, 0x66};
  ASSERT_EQ(CreateImagePalette(palette, 2, red, green, blue), 1);
  EXPECT_EQ(MapDIBColors(mono.data(), &palette, 0), 1);
  const uint8_t* table = mono.data() + 40;
  EXPECT_EQ((std::vector<int>{table[4], table[5], table[6], table[7]}),
            (std::vector<int>{0x66, 0x44, 0x22, 0}));
  EXPECT_EQ(LoadLE32(table + 8), 0u);
  // Without a palette the stock one serves: entry 19 is white.
  EXPECT_EQ(MapDIBColors(mono.data(), nullptr, 0), 1);
  EXPECT_EQ(LoadLE32(table + 4 * 19), 0xFFFFFFu);
  EXPECT_EQ(LoadLE32(table + 4 * 8), 0xC0DCC0u);
}

TEST(Palette, LookupsStayInsideThePalette) {
  CPalette palette;
  const uint8_t red[4] = {0, 100, 100, 255}, green[4] = {0, 100, 100, 255},
                blue[4] = {0, 100, 100, 255};
  ASSERT_EQ(CreateImagePalette(palette, 4, red, green, blue), 1);
  uint8_t r, g, b;
  EXPECT_EQ(GetPaletteRGB(&palette, 256, r, g, b), 0);
  EXPECT_EQ(GetPaletteRGB(&palette, -1, r, g, b), 0);
  EXPECT_EQ(GetPaletteRGB(&palette, 4, r, g, b), 0);
  EXPECT_EQ(GetPaletteRGB(nullptr, 0, r, g, b), 0);
  EXPECT_EQ(GetPaletteRGB(&palette, 3, r, g, b), 1);
  EXPECT_EQ(r, 255);

  EXPECT_EQ(NearestPaletteIndex(&palette, 90, 95, 110), 1) << "lowest index on a tie";
  EXPECT_EQ(NearestPaletteIndex(&palette, 200, 200, 200), 3);
  EXPECT_EQ(NearestPaletteIndex(&palette, 10, 0, 0), 0);
  EXPECT_EQ(CreateImagePalette(*std::make_unique<CPalette>(), 257, red, green, blue), 0);
}

}  // namespace
