// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Bitmap files: the header variants, the checks on sizes read from the file,
// and writing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>

#include "image/dib_block.h"
#include "image/image.h"
#include "image/image_bmp.h"
#include "tests/image/picture_files.h"

namespace {

void Put16(Bytes& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

struct BmpLayout {
  bool fileHeader = true;
  bool core = false;
  int width = 2;
  int height = 2;
  int depth = 8;
  uint32_t compression = 0;
  uint32_t sizeImage = 0xFFFFFFFF;  // all ones: the true size
  uint32_t clrUsed = 0;
  int tableEntries = -1;  // -1: what the header implies
  Bytes masks;
  Bytes pixels;  // -1 rows: made up
  long cutPixels = 0;
};

// Table entry i is (blue 10 + i, green 100 + i, red 200 - i).
Bytes MakeBmp(const BmpLayout& s) {
  const uint64_t rowBytes = ((uint64_t(s.depth) * uint64_t(std::max(s.width, 0)) + 31) / 32) * 4;
  const uint64_t absHeight = uint64_t(std::abs(int64_t(s.height)));
  int entries = s.tableEntries >= 0 ? s.tableEntries
                : s.clrUsed       ? int(s.clrUsed)
                : s.depth <= 8    ? 1 << s.depth
                                  : 0;
  Bytes info;
  if (s.core) {
    Put32(info, 12);
    Put16(info, uint32_t(s.width));
    Put16(info, uint32_t(s.height));
    Put16(info, 1);
    Put16(info, uint32_t(s.depth));
  } else {
    Put32(info, 40);
    Put32(info, uint32_t(s.width));
    Put32(info, uint32_t(s.height));
    Put16(info, 1);
    Put16(info, uint32_t(s.depth));
    Put32(info, s.compression);
    Put32(info, s.sizeImage == 0xFFFFFFFF ? uint32_t(rowBytes * absHeight) : s.sizeImage);
    Put32(info, 0);
    Put32(info, 0);
    Put32(info, s.clrUsed);
    Put32(info, 0);
  }
  info.insert(info.end(), s.masks.begin(), s.masks.end());
  for (int i = 0; i < entries; ++i) {
    info.push_back(uint8_t(10 + i));
    info.push_back(uint8_t(100 + i));
    info.push_back(uint8_t(200 - i));
    if (!s.core) info.push_back(0);
  }
  Bytes pixels = s.pixels;
  if (pixels.empty()) {
    pixels.resize(size_t(rowBytes) * absHeight);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 37 + 1);
  }
  pixels.resize(pixels.size() - size_t(s.cutPixels));
  Bytes out;
  if (s.fileHeader) {
    out = {'B', 'M'};
    Put32(out, uint32_t(14 + info.size() + pixels.size()));
    Put32(out, 0);
    Put32(out, uint32_t(14 + info.size()));
  }
  out.insert(out.end(), info.begin(), info.end());
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

TEST(BmpRead, WithAndWithoutTheFileHeader) {
  TempDir dir;
  WriteFile(dir.File("with.bmp"), MakeBmp({}));
  BmpLayout bare;
  bare.fileHeader = false;
  WriteFile(dir.File("bare.bmp"), MakeBmp(bare));
  CImage with(dir.File("with.bmp"), IMAGE_BMP), without(dir.File("bare.bmp"), IMAGE_UNKNOWN);
  ASSERT_EQ(with.GetWidth(), 2);
  ASSERT_EQ(without.GetWidth(), 2);
  EXPECT_EQ(with.GetDepth(), 8);
  EXPECT_EQ(with.GetColorType(), 3);
  ASSERT_NE(with.GetPalette(), nullptr);
  EXPECT_EQ(with.GetPalette()->GetEntryCount(), 256);
  EXPECT_EQ(AllColours(with), AllColours(without));
  EXPECT_EQ(std::memcmp(with.GetBits(), without.GetBits(), 8), 0);
  // Pixel byte 0 is 1: table entry 1 (red 199, green 101, blue 11).
  uint8_t r, g, b;
  with.GetRGB(0, 0, r, g, b);
  EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{199, 101, 11}));
}

TEST(BmpRead, CoreHeaderIsWidenedToTheInfoHeader) {
  TempDir dir;
  BmpLayout core;
  core.core = true;
  core.depth = 4;
  core.width = 3;
  WriteFile(dir.File("core.bmp"), MakeBmp(core));
  DibBlock block = ReadBitmapFile(dir.File("core.bmp"));
  ASSERT_TRUE(block);
  const BITMAPINFOHEADER h = LoadInfoHeader(block.data());
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biClrUsed, 16u);
  EXPECT_EQ(h.biWidth, 3);
  EXPECT_EQ(h.biBitCount, 4);
  EXPECT_EQ(h.biSizeImage, 8u);
  const uint8_t* table = block.data() + 40;
  for (int i = 0; i < 16; ++i) {
    ASSERT_EQ(table[4 * i], 10 + i);
    ASSERT_EQ(table[4 * i + 1], 100 + i);
    ASSERT_EQ(table[4 * i + 2], 200 - i);
    ASSERT_EQ(table[4 * i + 3], 0);
  }
  EXPECT_EQ(ColorTableSize(h, true), 48u);
  EXPECT_EQ(ColorTableSize(h, false), 64u);

  // A core-header file smaller than a 40-byte header still reads.
  BmpLayout tiny;
  tiny.core = true;
  tiny.depth = 1;
  tiny.width = tiny.height = 1;
  const Bytes bytes = MakeBmp(tiny);
  EXPECT_LT(bytes.size(), 14u + 40u);
  WriteFile(dir.File("tiny.bmp"), bytes);
  CImage image(dir.File("tiny.bmp"), IMAGE_BMP);
  EXPECT_EQ(image.GetWidth(), 1);
}

TEST(BmpRead, SizesComeFromTheRowsTheHeaderDeclares) {
  TempDir dir;
  BmpLayout zero;
  zero.sizeImage = 0;
  zero.width = 3;
  WriteFile(dir.File("zero.bmp"), MakeBmp(zero));
  DibBlock block = ReadBitmapFile(dir.File("zero.bmp"));
  ASSERT_TRUE(block);
  EXPECT_EQ(LoadInfoHeader(block.data()).biSizeImage, 8u) << "two rows of 4 bytes";

  // A biSizeImage far above the rows does not make the block grow.
  BmpLayout huge = zero;
  huge.sizeImage = 0x7FFFFFFF;
  WriteFile(dir.File("huge.bmp"), MakeBmp(huge));
  block = ReadBitmapFile(dir.File("huge.bmp"));
  ASSERT_TRUE(block);
  EXPECT_EQ(LoadInfoHeader(block.data()).biSizeImage, 8u);
  EXPECT_LT(block.size(), 2000u);
}

TEST(BmpRead, BitFieldsAndTopDownRows) {
  TempDir dir;
  BmpLayout fields;
  fields.depth = 16;
  fields.compression = 3;
  fields.width = 2;
  fields.height = 1;
  fields.masks = {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0};  // 5-6-5
  fields.pixels = {0x00, 0xF8, 0xE0, 0x07};  // red, green
  WriteFile(dir.File("565.bmp"), MakeBmp(fields));
  CImage image(dir.File("565.bmp"), IMAGE_BMP);
  ASSERT_EQ(image.GetWidth(), 2);
  EXPECT_EQ(image.GetBits(), image.GetImpl()->GetDIB() + 52);
  EXPECT_EQ(AllColours(image), (std::vector<uint32_t>{0xFF0000, 0x00FF00}));

  BmpLayout down;
  down.depth = 24;
  down.width = 1;
  down.height = -2;
  down.pixels = {1, 2, 3, 0, 4, 5, 6, 0};  // top row first
  WriteFile(dir.File("down.bmp"), MakeBmp(down));
  CImage flipped(dir.File("down.bmp"), IMAGE_BMP);
  ASSERT_EQ(flipped.GetHeight(), 2);
  EXPECT_EQ(AllColours(flipped), (std::vector<uint32_t>{0x060504, 0x030201}))
      << "bottom row first in memory";
  EXPECT_EQ(flipped.GetPalette(), nullptr);
}

TEST(BmpRead, RunLengthPixelsAreExpanded) {
  TempDir dir;
  BmpLayout rle8;
  rle8.compression = 1;
  rle8.width = 5;
  rle8.height = 3;
  // Row 0: three 7s, then absolute 1 2 (padded); row 1: a delta to (2, 2);
  // row 2: two 9s, then a run reaching past the row's end.
  rle8.pixels = {3, 7, 0, 3, 1, 2, 4, 0, 0, 0, 0, 2, 2, 1, 2, 9, 200, 5, 0, 1};
  rle8.sizeImage = uint32_t(rle8.pixels.size());
  WriteFile(dir.File("r8.bmp"), MakeBmp(rle8));
  CImage image(dir.File("r8.bmp"), IMAGE_BMP);
  ASSERT_EQ(image.GetWidth(), 5);
  std::vector<int> indices;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) indices.push_back(image.GetIndex(x, y));
  EXPECT_EQ(indices, (std::vector<int>{7, 7, 7, 1, 2, 0, 0, 0, 0, 0, 0, 0, 9, 9, 5}));

  BmpLayout rle4 = rle8;
  rle4.depth = 4;
  rle4.compression = 2;
  // Row 0: five pixels alternating 1 and 2; row 1: absolute 3 4 5 (padded).
  rle4.pixels = {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 1};
  rle4.sizeImage = 0;  // up to the end of the file
  WriteFile(dir.File("r4.bmp"), MakeBmp(rle4));
  CImage four(dir.File("r4.bmp"), IMAGE_BMP);
  ASSERT_EQ(four.GetWidth(), 5);
  indices.clear();
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 5; ++x) indices.push_back(four.GetIndex(x, y));
  EXPECT_EQ(indices, (std::vector<int>{1, 2, 1, 2, 1, 3, 4, 5, 0, 0}));
}

TEST(BmpRead, RefusesFilesThatFailACheck) {
  TempDir dir;
  std::vector<std::pair<std::string, BmpLayout>> bad;
  auto add = [&](const std::string& name, auto change) {
    BmpLayout s;
    change(s);
    bad.emplace_back(name, s);
  };
  add("truncated pixels", [](BmpLayout& s) { s.cutPixels = 1; });
  add("table above 256", [](BmpLayout& s) { s.clrUsed = 300, s.tableEntries = 300; });
  add("bit count 7", [](BmpLayout& s) { s.depth = 7; });
  add("bit count 0", [](BmpLayout& s) { s.depth = 0; });
  add("embedded JPEG", [](BmpLayout& s) { s.compression = 4; });
  add("runs at 24 bits", [](BmpLayout& s) { s.compression = 1, s.depth = 24; });
  add("top-down runs", [](BmpLayout& s) { s.compression = 1, s.height = -2; });
  add("bit fields at 8 bits", [](BmpLayout& s) { s.compression = 3; });
  add("no width", [](BmpLayout& s) { s.width = 0; });
  add("negative width", [](BmpLayout& s) { s.width = -4; });
  add("no height", [](BmpLayout& s) { s.height = 0; });
  add("huge", [](BmpLayout& s) { s.width = 1 << 30, s.height = 1 << 20, s.pixels = {1, 2, 3, 4}; });
  add("overflowing", [](BmpLayout& s) { s.width = 0x7FFFFFFF, s.depth = 32, s.pixels = {1, 2, 3, 4}; });
  add("short table", [](BmpLayout& s) { s.tableEntries = 3, s.pixels = {}, s.cutPixels = 0; });
  for (auto& [name, layout] : bad) {
    Bytes bytes = MakeBmp(layout);
    if (name == "short table") bytes.resize(14 + 40 + 12);
    WriteFile(dir.File("bad.bmp"), bytes);
    CImage image(dir.File("bad.bmp"), IMAGE_BMP);
    EXPECT_EQ(image.IsValid(), 0) << name;
    EXPECT_EQ(image.GetWidth(), 0) << name;
  }
  Bytes header13 = MakeBmp({});
  header13[14] = 13;
  WriteFile(dir.File("odd.bmp"), header13);
  EXPECT_EQ(CImage(dir.File("odd.bmp"), IMAGE_BMP).IsValid(), 0);
  WriteFile(dir.File("short.bmp"), Bytes{'B', 'M', 1, 2});
  EXPECT_EQ(CImage(dir.File("short.bmp"), IMAGE_BMP).IsValid(), 0);
  EXPECT_EQ(CImage(dir.File("missing.bmp"), IMAGE_BMP).IsValid(), 0);
}

TEST(BmpRead, DamagedFilesNeverReadOutsideTheirBuffers) {
  // Random damage to headers of every kind; the sanitizer build watches.
  TempDir dir;
  std::mt19937 rng(5);
  BmpLayout core, fields;
  core.core = true;
  core.depth = 4;
  fields.depth = 16;
  fields.compression = 3;
  fields.masks = Bytes(12, 0xF0);
  BmpLayout runs;
  runs.compression = 1;
  runs.pixels = {2, 7, 0, 0, 0, 3, 1, 2, 3, 0, 0, 1};
  std::vector<Bytes> sources = {MakeBmp({}), MakeBmp(core), MakeBmp(fields), MakeBmp(runs)};
  int read = 0;
  for (int i = 0; i < 300; ++i) {
    Bytes bytes = sources[size_t(i) % sources.size()];
    for (int k = 0; k < 3; ++k) bytes[rng() % std::min<size_t>(bytes.size(), 70)] = uint8_t(rng());
    WriteFile(dir.File("x.bmp"), bytes);
    CImage image(dir.File("x.bmp"), IMAGE_BMP);
    if (!image.IsValid()) continue;
    ++read;
    CSoftwareDC dc(8, 8);
    dc.SelectPalette(image.GetPalette());
    image.StretchDraw(&dc, 0, 0, 8, 8);
    uint8_t r, g, b;
    for (int y = 0; y < image.GetHeight(); ++y)
      for (int x = 0; x < image.GetWidth(); ++x) image.GetRGB(x, y, r, g, b);
  }
  EXPECT_GT(read, 0);
}

TEST(BmpRead, ReadingAgainReplacesBitmapAndPalette) {
  TempDir dir;
  WriteFile(dir.File("eight.bmp"), MakeBmp({}));
  BmpLayout trueColour;
  trueColour.depth = 24;
  WriteFile(dir.File("true.bmp"), MakeBmp(trueColour));
  CImage image(dir.File("eight.bmp"), IMAGE_BMP);
  ASSERT_NE(image.GetPalette(), nullptr);
  ASSERT_NE(image.Load(dir.File("true.bmp"), IMAGE_BMP), 0);
  EXPECT_EQ(image.GetDepth(), 24);
  EXPECT_EQ(image.GetPalette(), nullptr);
  EXPECT_EQ(image.GetColorType(), 2);
  EXPECT_EQ(image.SetRGB(0, 0, 1, 2, 3), 1);
}

TEST(BmpWrite, RoundTripsKeepThePixels) {
  TempDir dir;
  // An 8-bit palette image, as the JPEG reader makes.
  WriteJpegWithCjpeg(dir, MakeTestPicture(21, 13), dir.File("in.jpg"), "2x2", false);
  CImage jpeg(dir.File("in.jpg"), IMAGE_JPG);
  ASSERT_EQ(jpeg.GetWidth(), 21);
  const std::vector<uint32_t> colours = AllColours(jpeg);
  CImageBMP writer("");
  ASSERT_NE(writer.Create(21, 13, 8, -1), 0);
  std::memcpy(writer.GetBits(), jpeg.GetBits(), size_t(jpeg.GetBytesPerLine()) * 13);
  uint8_t red[256], green[256], blue[256];
  const int count = jpeg.GetPalette()->GetEntryCount();
  for (int i = 0; i < count; ++i) GetPaletteRGB(jpeg.GetPalette(), i, red[i], green[i], blue[i]);
  writer.SetPalette(count, red, green, blue);
  ASSERT_EQ(writer.Write(dir.File("p.bmp")), 1);
  EXPECT_EQ(LoadLE16(writer.GetDIB() + 40 + 2 * 7), 7) << "the image keeps its index form";
  CImage back(dir.File("p.bmp"), IMAGE_UNKNOWN);
  ASSERT_EQ(back.GetWidth(), 21);
  EXPECT_EQ(AllColours(back), colours);

  const Bytes file = ReadFile(dir.File("p.bmp"));
  ASSERT_GT(file.size(), 54u);
  EXPECT_EQ(LoadLE32(&file[2]), file.size()) << "bfSize";
  EXPECT_EQ(LoadLE32(&file[10]), 14u + 40 + 1024) << "bfOffBits";

  // 24-bit, 16-bit bit fields, 1- and 4-bit images.
  for (int depth : {24, 16, 1, 4}) {
    CImage image;
    ASSERT_NE(image.Create(9, 5, depth, -1), 0);
    if (depth <= 8) {
      // Palette pictures get a palette of their own and every entry used, so
      // that a writer losing indices or entries shows.
      const int entries = 1 << depth;
      std::vector<uint8_t> red, green, blue;
      for (int i = 0; i < entries; ++i) {
        red.push_back(uint8_t(255 - i * 16));
        green.push_back(uint8_t(i * 16));
        blue.push_back(uint8_t(i % 2 ? 200 : 30));
      }
      ASSERT_EQ(image.SetPalette(entries, red.data(), green.data(), blue.data()), 1);
      for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x) image.SetIndex(x, y, (x + 2 * y) % entries);
    } else {
      for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x) image.SetRGB(x, y, uint8_t(x * 28), uint8_t(y * 60), 200);
    }
    ASSERT_GE(AllColours(image).size(), 2u);
    const std::string path = dir.File(std::to_string(depth) + "-bit.bmp");
    ASSERT_EQ(image.Write(path), 1) << depth;
    CImage again(path, IMAGE_BMP);
    ASSERT_EQ(again.GetDepth(), depth);
    EXPECT_EQ(AllColours(again), AllColours(image)) << depth;
  }
}

TEST(BmpWrite, ChunksAndFailures) {
  TempDir dir;
  Bytes big(70000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = uint8_t(i);
  std::FILE* file = std::fopen(dir.File("chunks").c_str(), "wb");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(WriteChunked(file, big.data(), big.size()), big.size());
  std::fclose(file);
  EXPECT_EQ(ReadFile(dir.File("chunks")), big);

  file = std::fopen("/dev/full", "wb");
  ASSERT_NE(file, nullptr);
  std::setvbuf(file, nullptr, _IONBF, 0);
  EXPECT_EQ(WriteChunked(file, big.data(), big.size()), 0u);
  std::fclose(file);

  CImage image;
  image.Create(300, 300, 24, -1);
  EXPECT_EQ(image.Write("/dev/full"), 0);
  EXPECT_EQ(image.Write(dir.File("no/such/dir.bmp")), 0);
  EXPECT_EQ(SaveBitmapFile(dir.File("none.bmp"), nullptr), 0);
  CImageBMP empty("");
  EXPECT_EQ(empty.Write(dir.File("empty.bmp")), 0);
  EXPECT_FALSE(FileExists(dir.File("empty.bmp")));
}

}  // namespace
