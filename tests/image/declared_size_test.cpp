// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Pictures whose headers declare more than any frame or saved picture: a few
// bytes asking for gigabytes are refused before anything is allocated, in
// every format, while the largest allowed size still reads.
#include <gtest/gtest.h>

#include "image/image.h"
#include "tests/image/picture_files.h"

namespace {

// Memory a read may take beyond an idle child when it refuses the picture.
constexpr long kRefusalKiB = 32 * 1024;

void PutBE16(Bytes& b, size_t at, int v) {
  b[at] = uint8_t(v >> 8);
  b[at + 1] = uint8_t(v);
}

// `jpeg` with the size in its frame header (SOF0) replaced.
Bytes WithJpegSize(Bytes jpeg, int width, int height) {
  for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      PutBE16(jpeg, i + 5, height);
      PutBE16(jpeg, i + 7, width);
      return jpeg;
    }
  }
  ADD_FAILURE() << "no frame header";
  return jpeg;
}

void ExpectRefusedCheaply(const std::string& path, int type) {
  CImage image(path, type);
  EXPECT_EQ(image.GetWidth(), 0) << path;
  const long idle = PeakKiBOfAChildReading("", type);
  EXPECT_LT(PeakKiBOfAChildReading(path, type) - idle, kRefusalKiB) << path;
}

TEST(DeclaredSize, JpegBeyondTheBoundIsRefusedAndTheBoundStillReads) {
  TempDir dir;
  WriteJpegWithCjpeg(dir, MakeTestPicture(16, 16), dir.File("small.jpg"), "", true);
  const Bytes small = ReadFile(dir.File("small.jpg"));
  WriteJpegWithCjpeg(dir, MakeTestPicture(16, 16), dir.File("colour.jpg"), "2x2", false);
  const Bytes colour = ReadFile(dir.File("colour.jpg"));

  // 16000 x 16000 used to cost seconds and more than a gigabyte per read.
  for (const auto& [width, height] : {std::pair{16000, 16000}, {65500, 65500}, {8193, 8192}, {65500, 1025}}) {
    WriteFile(dir.File("huge.jpg"), WithJpegSize(colour, width, height));
    ExpectRefusedCheaply(dir.File("huge.jpg"), IMAGE_JPG);
  }
  // The largest area allowed reads, its missing rows filled in.
  WriteFile(dir.File("bound.jpg"), WithJpegSize(small, 8192, 8192));
  CImage bound(dir.File("bound.jpg"), IMAGE_JPG);
  EXPECT_EQ(bound.GetWidth(), 8192);
  EXPECT_EQ(bound.GetHeight(), 8192);
  WriteFile(dir.File("wide.jpg"), WithJpegSize(small, 65500, 1024));
  CImage wide(dir.File("wide.jpg"), IMAGE_JPG);
  EXPECT_EQ(wide.GetWidth(), 65500);
}

TEST(DeclaredSize, BmpGifAndPngBeyondTheBoundAreRefused) {
  TempDir dir;
  // BMP: a real 8-bit file whose header then claims 8193 x 8192.
  CImage small;
  ASSERT_NE(small.Create(9, 5, 8, -1), 0);
  ASSERT_EQ(small.Write(dir.File("small.bmp")), 1);
  Bytes bmp = ReadFile(dir.File("small.bmp"));
  auto putLE32 = [&bmp](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp[at + size_t(i)] = uint8_t(v >> (8 * i));
  };
  putLE32(18, 8193);
  putLE32(22, 8192);
  WriteFile(dir.File("huge.bmp"), bmp);
  ExpectRefusedCheaply(dir.File("huge.bmp"), IMAGE_BMP);

  // GIF: a 2 x 2 picture whose image claims 65535 x 65535.
  GifLayout layout;
  layout.width = 2;
  layout.height = 2;
  layout.pixels = {0, 1, 1, 0};
  layout.globalTable = {0, 0, 0, 255, 255, 255};
  Bytes gif = EncodeGif(layout);
  bool patched = false;
  for (size_t i = 13 + layout.globalTable.size(); i + 9 < gif.size() && !patched; ++i) {
    if (gif[i] != 0x2C) continue;
    gif[i + 5] = gif[i + 6] = gif[i + 7] = gif[i + 8] = 0xFF;
    patched = true;
  }
  ASSERT_TRUE(patched);
  WriteFile(dir.File("huge.gif"), gif);
  ExpectRefusedCheaply(dir.File("huge.gif"), IMAGE_GIF);

  // PNG: a header of 16000 x 16000 grey pixels and a few bytes of data.
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  AppendBE32(header, 16000);
  AppendBE32(header, 16000);
  header.insert(header.end(), {8, 0, 0, 0, 0});
  AppendPngChunk(png, "IHDR", header);
  AppendPngChunk(png, "IDAT", {0x78, 0x9C, 0x63, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01});
  AppendPngChunk(png, "IEND", {});
  WriteFile(dir.File("huge.png"), png);
  ExpectRefusedCheaply(dir.File("huge.png"), IMAGE_PNG);
}

}  // namespace
