// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Compressing pictures into JPEG streams in memory, the way old phone
// decoders take them: baseline, 4:2:0, the standard Huffman tables (no
// optimisation, no progressive mode), a JFIF header and nothing else (no
// EXIF). Every stream of one encoder at one size therefore carries the same
// header bytes, which is what the shared-header layout of a clip needs.
#pragma once

#include <cstdint>
#include <vector>

#include "image/jpeg_rgb.h"
#include "image/rgb_picture.h"

class JpegEncoder {
 public:
  // `quality` 1 to 100, as libjpeg's quality scaling of the standard tables.
  explicit JpegEncoder(int quality);
  ~JpegEncoder();
  JpegEncoder(const JpegEncoder&) = delete;
  JpegEncoder& operator=(const JpegEncoder&) = delete;

  // Replaces `jpeg` with the stream of `picture`. False when libjpeg
  // refuses (an empty picture, no memory).
  bool EncodeRgb(const RgbPicture& picture, std::vector<uint8_t>& jpeg);

  // The same from planes already sampled 4:2:0 in JPEG's full-range YCbCr,
  // without colour conversion or downsampling. Each plane's rows must be
  // readable up to the next multiple of 16 luma (8 chroma) samples across
  // and down, which PadYuv420 provides.
  bool EncodeYuv420(const Yuv420Picture& picture, std::vector<uint8_t>& jpeg);

 private:
  struct State;
  State* m_state;
  int m_quality;
};

// Makes `picture` (width and height set) hold planes whose strides and row
// counts are rounded up as EncodeYuv420 reads them. The contents are left
// to the caller.
void AllocateYuv420(Yuv420Picture& picture, int width, int height);
// Copies the last column and row of each plane into the rounding margin, so
// that the blocks at the right and bottom edges carry no stray samples.
void PadYuv420(Yuv420Picture& picture);

