// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/jpeg_rgb.h"

#include <csetjmp>
#include <cstdio>
#include <algorithm>
#include <new>

#include "image/jpeg_errors.h"

#include "image/image_limits.h"

namespace {

// libjpeg's own working memory (coefficient buffers of progressive streams)
// stays below this; the picture itself is bounded by kMaxImagePixels.
constexpr long kMaxDecoderMemory = 256L * 1024 * 1024;

// Sets up `cinfo` to read `data`; the caller has set the jump point.
void StartReading(jpeg_decompress_struct& cinfo, JpegErrorJump& errors, const uint8_t* data,
                  size_t size) {
  cinfo.err = JumpOnJpegError(errors);
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
}

// Pictures in colours we turn into RGB or YUV, of a size we allow.
bool Decodable(const jpeg_decompress_struct& cinfo) {
  const bool convertible = cinfo.jpeg_color_space == JCS_GRAYSCALE || cinfo.jpeg_color_space == JCS_YCbCr ||
                           cinfo.jpeg_color_space == JCS_RGB;
  return convertible && ImageAreaAllowed(cinfo.image_width, cinfo.image_height);
}

}  // namespace

bool ReadJpegSize(const uint8_t* data, size_t size, int& width, int& height) {
  if (!data || size == 0) return false;
  // No object with a destructor lives in this frame: libjpeg may jump back.
  jpeg_decompress_struct cinfo;
  JpegErrorJump errors;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  StartReading(cinfo, errors, data, size);
  width = int(cinfo.image_width);
  height = int(cinfo.image_height);
  jpeg_destroy_decompress(&cinfo);
  return ImageAreaAllowed(uint64_t(width), uint64_t(height));
}

bool DecodeJpegRgb(const uint8_t* data, size_t size, RgbPicture& picture) {
  if (!data || size == 0) return false;
  jpeg_decompress_struct cinfo;
  JpegErrorJump errors;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  StartReading(cinfo, errors, data, size);
  if (!Decodable(cinfo)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  cinfo.out_color_space = JCS_RGB;
  const int width = int(cinfo.image_width), height = int(cinfo.image_height);
  if (picture.width != width || picture.height != height) {
    // Resizing in place: the vector's memory is kept for a picture no larger.
    try {
      picture.rgb.resize(size_t(width) * size_t(height) * 3);
    } catch (const std::bad_alloc&) {
      jpeg_destroy_decompress(&cinfo);
      return false;
    }
    picture.width = width;
    picture.height = height;
  }
  jpeg_start_decompress(&cinfo);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = picture.At(0, int(cinfo.output_scanline));
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

namespace {

bool SampledYuv420(const jpeg_decompress_struct& cinfo) {
  if (cinfo.jpeg_color_space != JCS_YCbCr || cinfo.num_components != 3) return false;
  const jpeg_component_info* c = cinfo.comp_info;
  return c[0].h_samp_factor == 2 && c[0].v_samp_factor == 2 && c[1].h_samp_factor == 1 &&
         c[1].v_samp_factor == 1 && c[2].h_samp_factor == 1 && c[2].v_samp_factor == 1;
}

// Resizes a plane's memory, keeping it when it is large enough already.
bool Reserve(std::vector<uint8_t>& plane, size_t bytes) {
  try {
    if (plane.size() < bytes) plane.resize(bytes);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}


// Reads the planes of a 4:2:0 stream whose decompression has not started.
void ReadStoredPlanes(jpeg_decompress_struct& cinfo, Yuv420Picture& picture, bool& noMemory) {
  cinfo.raw_data_out = TRUE;
  jpeg_start_decompress(&cinfo);

  // The library writes whole blocks in strips of 16 luma and 8 chroma rows:
  // the planes are that much larger than the picture.
  const jpeg_component_info* c = cinfo.comp_info;
  const int lumaStride = int(c[0].width_in_blocks) * DCTSIZE;
  const int chromaStride = int(std::max(c[1].width_in_blocks, c[2].width_in_blocks)) * DCTSIZE;
  const size_t lumaRows = (size_t(cinfo.output_height) + 15) / 16 * 16;
  if (!Reserve(picture.y, lumaRows * size_t(lumaStride)) ||
      !Reserve(picture.cb, lumaRows / 2 * size_t(chromaStride)) ||
      !Reserve(picture.cr, lumaRows / 2 * size_t(chromaStride))) {
    noMemory = true;
    return;
  }
  picture.width = int(cinfo.output_width);
  picture.height = int(cinfo.output_height);
  picture.lumaStride = lumaStride;
  picture.chromaStride = chromaStride;

  JSAMPROW lumaRowsAt[16], cbRowsAt[8], crRowsAt[8];
  JSAMPARRAY planes[3] = {lumaRowsAt, cbRowsAt, crRowsAt};
  while (cinfo.output_scanline < cinfo.output_height) {
    const size_t top = cinfo.output_scanline;
    for (size_t i = 0; i < 16; ++i) lumaRowsAt[i] = picture.y.data() + (top + i) * size_t(lumaStride);
    for (size_t i = 0; i < 8; ++i) {
      cbRowsAt[i] = picture.cb.data() + (top / 2 + i) * size_t(chromaStride);
      crRowsAt[i] = picture.cr.data() + (top / 2 + i) * size_t(chromaStride);
    }
    if (jpeg_read_raw_data(&cinfo, planes, 16) == 0) break;  // suspended: no more data
  }
  jpeg_finish_decompress(&cinfo);
}

// Full-range BT.601, as JPEG defines its YCbCr, in 1/65536.
inline uint8_t Clamp(int v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }
inline void RgbToYcc(const uint8_t* p, int& y, int& cb, int& cr) {
  y = (19595 * p[0] + 38470 * p[1] + 7471 * p[2] + 32768) >> 16;
  cb = (-11059 * p[0] - 21709 * p[1] + 32768 * p[2] + (128 << 16) + 32768) >> 16;
  cr = (32768 * p[0] - 27439 * p[1] - 5329 * p[2] + (128 << 16) + 32768) >> 16;
}

// Decodes a stream of any other sampling row by row at full resolution and
// averages its colour differences over 2 x 2 blocks.
void ReadAveragedPlanes(jpeg_decompress_struct& cinfo, Yuv420Picture& picture, bool& noMemory) {
  const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
  // The library turns YCbCr into nothing else here: its own samples come out.
  cinfo.out_color_space = grey ? JCS_GRAYSCALE : cinfo.jpeg_color_space == JCS_YCbCr ? JCS_YCbCr : JCS_RGB;
  const bool rgb = cinfo.out_color_space == JCS_RGB;
  // Chroma stored at half width or height is repeated, not interpolated, so
  // that a block's average gives back the stored sample.
  cinfo.do_fancy_upsampling = FALSE;
  jpeg_start_decompress(&cinfo);
  const int width = int(cinfo.output_width), height = int(cinfo.output_height);
  const int chromaWidth = (width + 1) / 2, chromaHeight = (height + 1) / 2;
  if (!Reserve(picture.y, size_t(width) * size_t(height)) ||
      !Reserve(picture.cb, size_t(chromaWidth) * size_t(chromaHeight)) ||
      !Reserve(picture.cr, size_t(chromaWidth) * size_t(chromaHeight))) {
    noMemory = true;
    return;
  }
  picture.width = width;
  picture.height = height;
  picture.lumaStride = width;
  picture.chromaStride = chromaWidth;

  const auto j = reinterpret_cast<j_common_ptr>(&cinfo);
  JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(j, JPOOL_IMAGE, JDIMENSION(width * cinfo.output_components), 1);
  // Sums of each block's colour differences, over the pair of rows being read.
  auto* sums = static_cast<int*>((*cinfo.mem->alloc_large)(j, JPOOL_IMAGE, size_t(chromaWidth) * 2 * sizeof(int)));
  while (cinfo.output_scanline < cinfo.output_height) {
    const int y = int(cinfo.output_scanline);
    if (jpeg_read_scanlines(&cinfo, row, 1) == 0) break;
    uint8_t* luma = picture.y.data() + size_t(y) * size_t(width);
    if (y % 2 == 0) std::fill(sums, sums + chromaWidth * 2, 0);
    // An odd last row counts twice, as if repeated.
    const int rowWeight = (y == height - 1 && y % 2 == 0) ? 2 : 1;
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = row[0] + size_t(x) * size_t(cinfo.output_components);
      int l = p[0], cb = 128, cr = 128;
      if (rgb)
        RgbToYcc(p, l, cb, cr);
      else if (!grey) {
        cb = p[1];
        cr = p[2];
      }
      luma[x] = Clamp(l);
      // An odd last column counts twice as well.
      const int weight = rowWeight * ((x == width - 1 && x % 2 == 0) ? 2 : 1);
      sums[2 * (x / 2)] += cb * weight;
      sums[2 * (x / 2) + 1] += cr * weight;
    }
    if (y % 2 == 1 || y == height - 1) {
      uint8_t* cbRow = picture.cb.data() + size_t(y / 2) * size_t(chromaWidth);
      uint8_t* crRow = picture.cr.data() + size_t(y / 2) * size_t(chromaWidth);
      for (int x = 0; x < chromaWidth; ++x) {
        cbRow[x] = Clamp((sums[2 * x] + 2) / 4);
        crRow[x] = Clamp((sums[2 * x + 1] + 2) / 4);
      }
    }
  }
  jpeg_finish_decompress(&cinfo);
}

}  // namespace

bool DecodeJpegYuv420(const uint8_t* data, size_t size, Yuv420Picture& picture) {
  if (!data || size == 0) return false;
  jpeg_decompress_struct cinfo;
  JpegErrorJump errors;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  StartReading(cinfo, errors, data, size);
  bool noMemory = false;
  const bool wanted = SampledYuv420(cinfo) && ImageAreaAllowed(cinfo.image_width, cinfo.image_height);
  if (wanted) ReadStoredPlanes(cinfo, picture, noMemory);
  jpeg_destroy_decompress(&cinfo);
  return wanted && !noMemory;
}

PlanesDecode DecodeJpegPlanes(const uint8_t* data, size_t size, Yuv420Picture& picture, int width,
                              int height, bool* clean) {
  if (!data || size == 0) return PlanesDecode::failed;
  jpeg_decompress_struct cinfo;
  JpegErrorJump errors;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return PlanesDecode::failed;
  }
  StartReading(cinfo, errors, data, size);
  if (width != 0 && (int(cinfo.image_width) != width || int(cinfo.image_height) != height)) {
    picture.width = int(cinfo.image_width);
    picture.height = int(cinfo.image_height);
    jpeg_destroy_decompress(&cinfo);
    return PlanesDecode::otherSize;
  }
  bool noMemory = false;
  const bool wanted = Decodable(cinfo);
  if (wanted && SampledYuv420(cinfo))
    ReadStoredPlanes(cinfo, picture, noMemory);
  else if (wanted)
    ReadAveragedPlanes(cinfo, picture, noMemory);
  if (clean) *clean = errors.standard.num_warnings == 0;
  jpeg_destroy_decompress(&cinfo);
  return wanted && !noMemory ? PlanesDecode::ok : PlanesDecode::failed;
}

bool JpegDecodes(const uint8_t* data, size_t size, int& width, int& height, bool& clean) {
  if (!data || size == 0) return false;
  jpeg_decompress_struct cinfo;
  JpegErrorJump errors;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  StartReading(cinfo, errors, data, size);
  width = int(cinfo.image_width);
  height = int(cinfo.image_height);
  if (!Decodable(cinfo)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  cinfo.scale_num = 1;
  cinfo.scale_denom = 8;
  cinfo.dct_method = JDCT_IFAST;
  jpeg_start_decompress(&cinfo);
  JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                               cinfo.output_width * JDIMENSION(cinfo.output_components), 1);
  while (cinfo.output_scanline < cinfo.output_height)
    if (jpeg_read_scanlines(&cinfo, row, 1) == 0) break;
  jpeg_finish_decompress(&cinfo);
  clean = errors.standard.num_warnings == 0;
  jpeg_destroy_decompress(&cinfo);
  return true;
}
