// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Decoding one JPEG stream held in memory (a frame's standalone stream, for
// instance) in full colour, without the palette the player draws with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/rgb_picture.h"

// Reads the stream's header only: the picture's size. False when the header
// is not a JPEG header libjpeg accepts.
bool ReadJpegSize(const uint8_t* data, size_t size, int& width, int& height);

// Decodes the stream into `picture` as red, green and blue rows (grey-scale
// pictures give grey rows). `picture` is resized to the stream's size; its
// memory is reused when the size stays. Returns false, leaving `picture`
// unspecified, when the stream does not decode: a broken stream, a colour
// space without an RGB form (CMYK), or a picture larger in area than
// kMaxImagePixels, which is refused before anything is allocated for it.
// Recoverable damage (a truncated scan, stray bytes) still decodes, as
// libjpeg fills what is missing.
bool DecodeJpegRgb(const uint8_t* data, size_t size, RgbPicture& picture);

// A picture sampled 4:2:0 as JPEG stores it: Y, Cb and Cr in full range
// (0 to 255, BT.601), the chroma planes at half the width and height rounded
// up. Rows lie `lumaStride` and `chromaStride` bytes apart.
struct Yuv420Picture {
  int width = 0, height = 0;
  int lumaStride = 0, chromaStride = 0;
  std::vector<uint8_t> y, cb, cr;

  int ChromaWidth() const { return (width + 1) / 2; }
  int ChromaHeight() const { return (height + 1) / 2; }
};

// Decodes a colour stream sampled 4:2:0 (luma 2 x 2, each chroma 1 x 1),
// which is what camera phones write, straight into its planes: no colour
// conversion and no chroma resampling, so a video encoder gets the samples
// the camera stored. False for any other stream (grey, 4:2:2, 4:4:4, CMYK,
// broken or too large), which DecodeJpegRgb reads instead.
bool DecodeJpegYuv420(const uint8_t* data, size_t size, Yuv420Picture& picture);

// What DecodeJpegPlanes made of a stream.
enum class PlanesDecode {
  ok,
  otherSize,  // the stream declares another size than the one asked for; not decoded
  failed,     // broken, CMYK, or larger than kMaxImagePixels
};

// Decodes a colour or grey stream into 4:2:0 planes, as a video encoder
// takes them. A 4:2:0 stream gives its stored planes (DecodeJpegYuv420);
// any other sampling is decoded at full resolution and each colour
// difference averaged over 2 x 2 blocks, which puts it at the block's centre
// as JPEG's own 4:2:0 places it (an odd last column or row is averaged with
// itself); a grey stream gives neutral chroma. When `width` and `height` are
// not 0, a stream declaring another size is refused before anything is
// decoded, with its declared size left in picture.width and picture.height.
// `clean`, when given, tells whether the stream decoded without damage (no
// data missing or corrupt, which libjpeg fills in).
PlanesDecode DecodeJpegPlanes(const uint8_t* data, size_t size, Yuv420Picture& picture,
                              int width = 0, int height = 0, bool* clean = nullptr);

// True when the stream decodes, learnt at an eighth of its size (every
// coefficient is still read), with the size it declares: for a caller that
// needs to know that a frame decodes, not its pixels. `clean` tells whether
// it decoded without damage (no data missing or corrupt).
bool JpegDecodes(const uint8_t* data, size_t size, int& width, int& height, bool& clean);
