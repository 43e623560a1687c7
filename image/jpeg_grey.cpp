// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/jpeg_grey.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include "image/jpeg_errors.h"

namespace {

// Only plain data lives in this frame: the library may jump back into it.
// Returns the malloc'ed stream in *out, or false.
bool Transcode(const uint8_t* in, size_t inSize, unsigned char** out, unsigned long* outSize) {
  jpeg_decompress_struct src;
  jpeg_compress_struct dst;
  JpegErrorJump errors;  // shared: an error in either object comes back here
  src.err = dst.err = JumpOnJpegError(errors);
  jpeg_create_decompress(&src);
  jpeg_create_compress(&dst);
  if (setjmp(errors.jump)) {
    jpeg_destroy_compress(&dst);
    jpeg_destroy_decompress(&src);
    return false;
  }
  jpeg_mem_src(&src, in, static_cast<unsigned long>(inSize));
  jpeg_read_header(&src, TRUE);
  if (src.jpeg_color_space != JCS_YCbCr || src.num_components != 3)
    std::longjmp(errors.jump, 1);
  jvirt_barray_ptr* coefficients = jpeg_read_coefficients(&src);

  jpeg_copy_critical_parameters(&src, &dst);
  // One component: the luminance, with its own quantisation table.
  const int lumaTable = dst.comp_info[0].quant_tbl_no;
  jpeg_set_colorspace(&dst, JCS_GRAYSCALE);
  dst.comp_info[0].quant_tbl_no = lumaTable;
  jpeg_mem_dest(&dst, out, outSize);
  jpeg_write_coefficients(&dst, coefficients);
  jpeg_finish_compress(&dst);
  jpeg_finish_decompress(&src);
  jpeg_destroy_compress(&dst);
  jpeg_destroy_decompress(&src);
  return true;
}

}  // namespace

bool DropColourComponents(const std::vector<uint8_t>& jpeg, std::vector<uint8_t>& grey) {
  unsigned char* out = nullptr;
  unsigned long size = 0;
  const bool ok = Transcode(jpeg.data(), jpeg.size(), &out, &size);
  if (ok) grey.assign(out, out + size);
  std::free(out);
  return ok;
}
