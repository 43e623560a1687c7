// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// A picture in memory, full colour: rows top to bottom, three bytes (red,
// green, blue) a pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct PixelRect {
  int x = 0, y = 0, width = 0, height = 0;
};

struct RgbPicture {
  RgbPicture(int width, int height)
      : width(width), height(height), rgb(size_t(width) * size_t(height) * 3) {}

  uint8_t* At(int x, int y) { return rgb.data() + (size_t(y) * size_t(width) + size_t(x)) * 3; }
  const uint8_t* At(int x, int y) const {
    return rgb.data() + (size_t(y) * size_t(width) + size_t(x)) * 3;
  }
  // Fills the part of `r` that lies inside the picture.
  void Fill(const PixelRect& r, uint8_t red, uint8_t green, uint8_t blue);

  int width;
  int height;
  std::vector<uint8_t> rgb;
};
