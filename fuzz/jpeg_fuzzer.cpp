// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Any bytes as a JPEG file, read as the frame display reads every frame.
#include "fuzz/bitmap_check.h"
#include "fuzz/fuzz_support.h"
#include "image/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = ScratchFile("frame.jpg");
  WriteBytes(path, data, size);
  CImage image(path, IMAGE_JPG);
  CheckBitmap(image);
  if (image.GetWidth() == 0) return 0;

  // Always 8-bit palette indices, each inside the palette: 256 grey levels or
  // at most 128 colours chosen for the picture.
  Require(image.GetDepth() == 8, "a JPEG read into other than 8 bits");
  const CPalette* palette = image.GetPalette();
  Require(palette != nullptr, "a JPEG read without a palette");
  const int entries = palette->GetEntryCount();
  Require(entries == 256 || entries <= 128, "a colour JPEG with more than 128 colours");
  // Every row of a picture of up to a few megapixels; of a larger one (up to
  // the readers' bound of 8192 x 8192) every 61st row and the last, so that
  // one such input costs seconds, not the run's time limit.
  const int height = image.GetHeight();
  const int step = int64_t(image.GetWidth()) * height > (1 << 22) ? 61 : 1;
  auto checkRow = [&image, entries](int y) {
    for (int x = 0; x < image.GetWidth(); ++x)
      Require(image.GetIndex(x, y) < entries, "a pixel outside the palette");
  };
  for (int y = 0; y < height; y += step) checkRow(y);
  if ((height - 1) % step != 0) checkRow(height - 1);
  return 0;
}
