// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/rgb_picture.h"

#include <algorithm>

void RgbPicture::Fill(const PixelRect& r, uint8_t red, uint8_t green, uint8_t blue) {
  const int x0 = std::max(r.x, 0), x1 = std::min(r.x + r.width, width);
  const int y0 = std::max(r.y, 0), y1 = std::min(r.y + r.height, height);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      uint8_t* p = At(x, y);
      p[0] = red;
      p[1] = green;
      p[2] = blue;
    }
  }
}
