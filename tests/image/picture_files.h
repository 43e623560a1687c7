// Pictures for the image tests, made at test time: synthetic PPM/PGM
// pictures, JPEGs from them through cjpeg, and decoded PNM files read back.
#pragma once

#include <string>
#include <vector>

#include "tests/support/test_support.h"

// An RGB picture, top row first, 3 bytes a pixel.
struct RgbPicture {
  int width = 0;
  int height = 0;
  Bytes rgb;
  bool operator==(const RgbPicture&) const = default;
};

// Smooth gradients with a few sharp edges and some noise: enough colours to
// make the quantiser choose.
RgbPicture MakeTestPicture(int width, int height, unsigned seed = 1);

// P6 (or P5 when grey: the red channel) bytes of a picture.
Bytes EncodePnm(const RgbPicture& picture, bool grey = false);
// Parses P5 or P6 with maxval 255; grey levels become equal triples. False
// on anything else.
bool DecodePnm(const Bytes& bytes, RgbPicture& picture);

// Encodes `picture` with cjpeg into `path`. `sampling` is cjpeg's -sample
// (e.g. "2x2"), ignored for grey.
void WriteJpegWithCjpeg(const TempDir& dir, const RgbPicture& picture, const std::string& path,
                        const std::string& sampling, bool grey, int quality = 85);

// The program path of a Debian tool, e.g. "/usr/bin/djpeg".
std::string SystemProgram(const std::string& name);
