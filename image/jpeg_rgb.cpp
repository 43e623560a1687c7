#include "image/jpeg_rgb.h"

#include <csetjmp>
#include <cstdio>
#include <algorithm>
#include <new>

#include <jpeglib.h>

#include "image/image_limits.h"

namespace {

// libjpeg's own working memory (coefficient buffers of progressive streams)
// stays below this; the picture itself is bounded by kMaxImagePixels.
constexpr long kMaxDecoderMemory = 256L * 1024 * 1024;

struct JumpingErrorManager {
  jpeg_error_mgr standard;
  std::jmp_buf jump;
};

[[noreturn]] void JumpBack(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JumpingErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings about damaged data are not printed: the caller decides what a
// frame that decodes with gaps is worth.
void Silent(j_common_ptr, int) {}

// Sets up `cinfo` to read `data`; the caller has set the jump point.
void StartReading(jpeg_decompress_struct& cinfo, JumpingErrorManager& errors, const uint8_t* data,
                  size_t size) {
  cinfo.err = jpeg_std_error(&errors.standard);
  errors.standard.error_exit = JumpBack;
  errors.standard.emit_message = Silent;
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
}

}  // namespace

bool ReadJpegSize(const uint8_t* data, size_t size, int& width, int& height) {
  if (!data || size == 0) return false;
  // No object with a destructor lives in this frame: libjpeg may jump back.
  jpeg_decompress_struct cinfo;
  JumpingErrorManager errors;
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
  JumpingErrorManager errors;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  StartReading(cinfo, errors, data, size);
  const bool convertible = cinfo.jpeg_color_space == JCS_GRAYSCALE ||
                           cinfo.jpeg_color_space == JCS_YCbCr ||
                           cinfo.jpeg_color_space == JCS_RGB;
  if (!convertible || !ImageAreaAllowed(cinfo.image_width, cinfo.image_height)) {
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

}  // namespace

bool DecodeJpegYuv420(const uint8_t* data, size_t size, Yuv420Picture& picture) {
  if (!data || size == 0) return false;
  jpeg_decompress_struct cinfo;
  JumpingErrorManager errors;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  StartReading(cinfo, errors, data, size);
  if (!SampledYuv420(cinfo) || !ImageAreaAllowed(cinfo.image_width, cinfo.image_height)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
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
    jpeg_destroy_decompress(&cinfo);
    return false;
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
  jpeg_destroy_decompress(&cinfo);
  return true;
}
