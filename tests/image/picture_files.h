// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Pictures for the image tests, made at test time: synthetic PPM/PGM
// pictures, JPEGs from them through cjpeg, and decoded PNM files read back.
#pragma once

#include <string>
#include <vector>

#include "tests/support/test_support.h"

class CImage;

// An RGB picture, top row first, 3 bytes a pixel.
struct TestPicture {
  int width = 0;
  int height = 0;
  Bytes rgb;
  bool operator==(const TestPicture&) const = default;
};

// Smooth gradients with a few sharp edges and some noise: enough colours to
// make the quantiser choose.
TestPicture MakeTestPicture(int width, int height, unsigned seed = 1);

// P6 (or P5 when grey: the red channel) bytes of a picture.
Bytes EncodePnm(const TestPicture& picture, bool grey = false);
// Parses P5 or P6 with maxval 255; grey levels become equal triples. False
// on anything else.
bool DecodePnm(const Bytes& bytes, TestPicture& picture);

// Encodes `picture` with cjpeg into `path`. `sampling` is cjpeg's -sample
// (e.g. "2x2"), ignored for grey.
void WriteJpegWithCjpeg(const TempDir& dir, const TestPicture& picture, const std::string& path,
                        const std::string& sampling, bool grey, int quality = 85);

// The program path of a Debian tool, e.g. "/usr/bin/djpeg".
std::string SystemProgram(const std::string& name);

// A GIF file made by hand. Pixels are the rows in file order (for an
// interlaced image that is pass order). The LZW data uses literal codes only,
// with a clear code whenever the code size would grow.
struct GifLayout {
  std::string version = "89a";
  int width = 0;
  int height = 0;
  Bytes pixels;
  Bytes globalTable;  // red, green, blue triples; size a power of 2 (2..256) or empty
  Bytes localTable;
  bool interlaced = false;
  int transparent = -1;  // a graphic control extension with this index
  int minCodeSize = 8;   // 2..8 for real data
  bool withImage = true;
};
Bytes EncodeGif(const GifLayout& layout);

// RGBA pixels, 8 bits a sample, top row first.
struct RgbaPicture {
  int width = 0;
  int height = 0;
  Bytes rgba;
};
// What ImageMagick decodes from a file, at 16 bits a sample reduced to the
// high bytes (which is what 16-bit stripping keeps).
RgbaPicture DecodeWithConvert(const std::string& path);
// Blends over a background colour as libpng's png_composite rounds.
TestPicture BlendOver(const RgbaPicture& picture, uint8_t red, uint8_t green, uint8_t blue);

// Every pixel's colour through GetRGB, bottom row first, as 0x00RRGGBB;
// a pixel without a colour fails the test.
std::vector<uint32_t> AllColours(CImage& image);

// Runs ImageMagick's convert with `args`; fails the test on an error.
void Convert(const std::vector<std::string>& args);

// PNG building blocks: a big-endian 32-bit number, and a whole chunk
// (length, type, data, checksum).
void AppendBE32(Bytes& out, uint32_t v);
void AppendPngChunk(Bytes& out, const std::string& type, const Bytes& data);

// Peak resident memory in KiB of a child of this process that reads `path`
// as an image of `type` (or does nothing, for an empty path).
long PeakKiBOfAChildReading(const std::string& path, int type);
