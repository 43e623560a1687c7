// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/png_bytes.h"

#include <csetjmp>
#include <png.h>
#include <zlib.h>

namespace {

void Append(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

// Kept out of the function that calls setjmp, so nothing there needs to be
// volatile.
bool WriteRows(png_structp png, png_infop info, const RgbPicture& picture) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, png_uint_32(picture.width), png_uint_32(picture.height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, Z_BEST_SPEED);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
  png_write_info(png, info);
  for (int y = 0; y < picture.height; ++y)
    png_write_row(png, const_cast<png_bytep>(picture.At(0, y)));
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

bool EncodePng(const RgbPicture& picture, std::vector<uint8_t>& png) {
  png.clear();
  png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!writer) return false;
  png_infop info = png_create_info_struct(writer);
  bool ok = info != nullptr;
  if (ok) {
    png_set_write_fn(writer, &png, Append, NoFlush);
    ok = WriteRows(writer, info, picture);
  }
  png_destroy_write_struct(&writer, info ? &info : nullptr);
  return ok;
}
