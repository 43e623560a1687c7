// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Any bytes as a BMP file, read through CImage by its type code.
#include "fuzz/bitmap_check.h"
#include "image/image_types.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReadAndCheckPicture(data, size, IMAGE_BMP, "picture.bmp");
  return 0;
}
