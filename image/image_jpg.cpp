// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/image_jpg.h"
#include "image/image_limits.h"
#include "image/picture_file.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "image/jpeg_errors.h"

namespace {

constexpr int kDesiredColours = 128;

// What libjpeg may allocate for one picture: enough for the largest picture
// the program reads (whole-image buffers of the two-pass colour quantiser and
// of progressive scans included); past it the library reports an error
// instead of taking more.
constexpr long kDecoderMemory = 400L * 1024 * 1024;

}  // namespace

int CImageJPG::Read(const std::string& path) {
  TakePath(path);
  std::FILE* file = OpenPictureFile(fileName, false);
  if (!file) return 0;

  // No object with a destructor lives in this frame: the library may jump
  // back into it from anywhere below.
  jpeg_decompress_struct cinfo;
  JpegErrorJump errors;
  cinfo.err = JumpOnJpegError(errors);
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
    return 0;
  }
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = kDecoderMemory;
  jpeg_stdio_src(&cinfo, file);
  jpeg_read_header(&cinfo, TRUE);
  // A few bytes can declare a picture of gigabytes, every row of which the
  // library would decode: refused before anything is allocated for it.
  if (!ImageAreaAllowed(cinfo.image_width, cinfo.image_height)) {
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
    return 0;
  }
  if (cinfo.jpeg_color_space != JCS_GRAYSCALE) {
    cinfo.quantize_colors = TRUE;
    cinfo.desired_number_of_colors = kDesiredColours;
  }
  jpeg_start_decompress(&cinfo);

  // Four-component (CMYK) pictures would be quantised in their own colour
  // space, and their colour map read as red, green and blue would show
  // wrong colours: they are refused, as other unsupported data.
  const int components = cinfo.output_components;
  if ((cinfo.quantize_colors && cinfo.out_color_components != 3) ||
      !Create(int(cinfo.output_width), int(cinfo.output_height), 8 * components, -1)) {
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
    return 0;
  }
  if (cinfo.quantize_colors) {
    SetPalette(cinfo.actual_number_of_colors, cinfo.colormap[0], cinfo.colormap[1],
               cinfo.colormap[2]);
  } else {
    uint8_t levels[256];
    for (int i = 0; i < 256; ++i) levels[i] = uint8_t(i * 256 / 256);
    SetPalette(256, levels, nullptr, nullptr);
  }

  const JDIMENSION rowBytes = cinfo.output_width * JDIMENSION(components);
  JSAMPARRAY sample =
      (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, rowBytes, 1);
  // The top scanline goes into the last row in memory: the block is bottom-up.
  uint8_t* dest = imageBits + ptrdiff_t(imageHeight - 1) * bytesPerLine;
  while (cinfo.output_scanline < cinfo.output_height) {
    jpeg_read_scanlines(&cinfo, sample, 1);
    std::memcpy(dest, sample[0], rowBytes);
    if (dest > imageBits) dest -= bytesPerLine;
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::fclose(file);
  return 1;
}

int CImageJPG::Write(const std::string& path) {
  TakePath(path);
  // The compressor is fed 8-bit palette rows or 24-bit rows, nothing else.
  const bool paletteRows = imagePalette && imageDepth == 8;
  const bool colourRows = !imagePalette && imageDepth == 24;
  if (!imageBits || (!paletteRows && !colourRows)) return 0;

  std::FILE* file = OpenPictureFile(fileName, true);
  if (!file) return 0;
  struct stat st {};
  const bool regular = ::fstat(fileno(file), &st) == 0 && S_ISREG(st.st_mode);

  jpeg_compress_struct cinfo;
  JpegErrorJump errors;
  cinfo.err = JumpOnJpegError(errors);
  if (setjmp(errors.jump)) {
    // A half-written JPEG would pass for a picture; it goes.
    jpeg_destroy_compress(&cinfo);
    std::fclose(file);
    if (regular) ::unlink(fileName.c_str());
    return 0;
  }
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = JDIMENSION(imageWidth);
  cinfo.image_height = JDIMENSION(imageHeight);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);

  JSAMPARRAY sample = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                  JPOOL_IMAGE, JDIMENSION(imageWidth) * 3, 1);
  // From the top of the picture, the last row in memory, downwards.
  while (cinfo.next_scanline < cinfo.image_height) {
    const ptrdiff_t memoryRow = imageHeight - 1 - ptrdiff_t(cinfo.next_scanline);
    const uint8_t* row = imageBits + memoryRow * bytesPerLine;
    uint8_t* out = sample[0];
    for (int x = 0; x < imageWidth; ++x, out += 3) {
      if (paletteRows) {
        out[0] = out[1] = out[2] = 0;
        GetPaletteRGB(imagePalette.get(), row[x], out[0], out[1], out[2]);
      } else {
        out[0] = row[3 * x + 2];
        out[1] = row[3 * x + 1];
        out[2] = row[3 * x];
      }
    }
    jpeg_write_scanlines(&cinfo, sample, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  // A failed close loses buffered bytes: the file is incomplete.
  if (std::fclose(file) != 0) {
    if (regular) ::unlink(fileName.c_str());
    return 0;
  }
  return 1;
}
