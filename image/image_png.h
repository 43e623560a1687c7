// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// CImagePNG: PNG files through libpng. Palette pictures keep their indices
// and palette, grey ones get 8 bits and the grey palette, everything else
// becomes 24-bit; alpha is blended over the background colour.
#pragma once

#include "image/image_file.h"

struct PngReadState;
struct PngWriteState;
struct png_color_struct;

// The colour that transparent parts of a PNG are blended over.
inline constexpr uint8_t kPngBackground[3] = {31, 127, 255};

class CImagePNG : public CImageFile {
 public:
  explicit CImagePNG(std::string path) : CImageFile(std::move(path)) {}

  int Read(const std::string& path) override;
  // Writes index bitmaps with their palette, 24-bit ones as RGB. 0 (and no
  // file left) on failure or for other depths.
  int Write(const std::string& path) override;

 private:
  // The parts that libpng may leave through its jump buffer.
  int ReadRows(PngReadState& state);
  int WriteRows(PngWriteState& state, const png_color_struct* palette, int paletteCount);
};
