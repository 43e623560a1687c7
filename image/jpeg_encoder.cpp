// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/jpeg_encoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image/jpeg_errors.h"

namespace {

int RoundUp(int value, int step) { return (value + step - 1) / step * step; }

}  // namespace

// One compressor for all the frames: its tables and buffers are set up once.
struct JpegEncoder::State {
  jpeg_compress_struct cinfo;
  JpegErrorJump errors;
  unsigned char* buffer = nullptr;  // libjpeg's memory destination for one stream
  unsigned long bufferSize = 0;

  // Hands the stream to `jpeg` and frees libjpeg's buffer.
  bool Take(bool compressed, std::vector<uint8_t>& jpeg) {
    if (compressed) jpeg.assign(buffer, buffer + bufferSize);
    std::free(buffer);
    buffer = nullptr;
    bufferSize = 0;
    return compressed;
  }
};

JpegEncoder::JpegEncoder(int quality) : m_state(new State), m_quality(quality) {
  m_state->cinfo.err = JumpOnJpegError(m_state->errors);
  jpeg_create_compress(&m_state->cinfo);
}

JpegEncoder::~JpegEncoder() {
  jpeg_destroy_compress(&m_state->cinfo);
  delete m_state;
}

namespace {

// Baseline, standard tables, 4:2:0 (libjpeg's defaults for YCbCr output),
// without optimised Huffman tables.
void SetUp(jpeg_compress_struct& cinfo, int width, int height, int quality, unsigned char** buffer,
           unsigned long* size) {
  cinfo.image_width = JDIMENSION(width);
  cinfo.image_height = JDIMENSION(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.optimize_coding = FALSE;
  cinfo.comp_info[0].h_samp_factor = cinfo.comp_info[0].v_samp_factor = 2;
  for (int c = 1; c < 3; ++c) cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
  jpeg_mem_dest(&cinfo, buffer, size);
}

// Only plain data lives in these frames: libjpeg may jump back into them.
bool CompressRgb(jpeg_compress_struct& cinfo, JpegErrorJump& errors, const RgbPicture& picture,
                 int quality, unsigned char** buffer, unsigned long* size) {
  if (setjmp(errors.jump)) {
    jpeg_abort_compress(&cinfo);
    return false;
  }
  SetUp(cinfo, picture.width, picture.height, quality, buffer, size);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(picture.At(0, int(cinfo.next_scanline)));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  return true;
}

bool CompressYuv(jpeg_compress_struct& cinfo, JpegErrorJump& errors, const Yuv420Picture& picture,
                 int quality, unsigned char** buffer, unsigned long* size) {
  if (setjmp(errors.jump)) {
    jpeg_abort_compress(&cinfo);
    return false;
  }
  SetUp(cinfo, picture.width, picture.height, quality, buffer, size);
  jpeg_set_colorspace(&cinfo, JCS_YCbCr);
  cinfo.in_color_space = JCS_YCbCr;
  cinfo.raw_data_in = TRUE;
  cinfo.comp_info[0].h_samp_factor = cinfo.comp_info[0].v_samp_factor = 2;
  for (int c = 1; c < 3; ++c) cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
  jpeg_start_compress(&cinfo, TRUE);
  // One band of 16 luma rows and 8 chroma rows per call.
  JSAMPROW lumaRows[16], cbRows[8], crRows[8];
  JSAMPARRAY planes[3] = {lumaRows, cbRows, crRows};
  const uint8_t* y = picture.y.data();
  const uint8_t* cb = picture.cb.data();
  const uint8_t* cr = picture.cr.data();
  while (cinfo.next_scanline < cinfo.image_height) {
    const size_t top = cinfo.next_scanline;
    for (size_t r = 0; r < 16; ++r)
      lumaRows[r] = const_cast<JSAMPROW>(y + (top + r) * size_t(picture.lumaStride));
    for (size_t r = 0; r < 8; ++r) {
      cbRows[r] = const_cast<JSAMPROW>(cb + (top / 2 + r) * size_t(picture.chromaStride));
      crRows[r] = const_cast<JSAMPROW>(cr + (top / 2 + r) * size_t(picture.chromaStride));
    }
    jpeg_write_raw_data(&cinfo, planes, 16);
  }
  jpeg_finish_compress(&cinfo);
  return true;
}

}  // namespace

bool JpegEncoder::EncodeRgb(const RgbPicture& picture, std::vector<uint8_t>& jpeg) {
  if (picture.width <= 0 || picture.height <= 0) return false;
  return m_state->Take(CompressRgb(m_state->cinfo, m_state->errors, picture, m_quality,
                                  &m_state->buffer, &m_state->bufferSize),
                       jpeg);
}

bool JpegEncoder::EncodeYuv420(const Yuv420Picture& picture, std::vector<uint8_t>& jpeg) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.y.size() < size_t(picture.lumaStride) * size_t(RoundUp(picture.height, 16)) ||
      picture.lumaStride < RoundUp(picture.width, 16) ||
      picture.chromaStride < RoundUp(picture.width, 16) / 2 ||
      picture.cb.size() < size_t(picture.chromaStride) * size_t(RoundUp(picture.height, 16) / 2) ||
      picture.cr.size() < picture.cb.size())
    return false;
  return m_state->Take(CompressYuv(m_state->cinfo, m_state->errors, picture, m_quality,
                                  &m_state->buffer, &m_state->bufferSize),
                       jpeg);
}

void AllocateYuv420(Yuv420Picture& picture, int width, int height) {
  picture.width = width;
  picture.height = height;
  picture.lumaStride = RoundUp(width, 16);
  picture.chromaStride = picture.lumaStride / 2;
  const int rows = RoundUp(height, 16);
  picture.y.assign(size_t(picture.lumaStride) * size_t(rows), 0);
  picture.cb.assign(size_t(picture.chromaStride) * size_t(rows / 2), 128);
  picture.cr.assign(size_t(picture.chromaStride) * size_t(rows / 2), 128);
}

namespace {

void PadPlane(uint8_t* plane, int stride, int width, int height, int paddedHeight) {
  for (int row = 0; row < height; ++row) {
    uint8_t* line = plane + size_t(row) * size_t(stride);
    std::memset(line + width, line[width - 1], size_t(stride - width));
  }
  for (int row = height; row < paddedHeight; ++row)
    std::memcpy(plane + size_t(row) * size_t(stride), plane + size_t(height - 1) * size_t(stride),
                size_t(stride));
}

}  // namespace

void PadYuv420(Yuv420Picture& picture) {
  const int rows = RoundUp(picture.height, 16);
  PadPlane(picture.y.data(), picture.lumaStride, picture.width, picture.height, rows);
  PadPlane(picture.cb.data(), picture.chromaStride, picture.ChromaWidth(), picture.ChromaHeight(),
           rows / 2);
  PadPlane(picture.cr.data(), picture.chromaStride, picture.ChromaWidth(), picture.ChromaHeight(),
           rows / 2);
}
