// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/clip_maker/test_pattern.h"

#include "tools/clip_maker/seven_segment.h"

namespace {

// The classic eight bars, brightest first.
constexpr uint8_t kBars[8][3] = {
    {235, 235, 235}, {235, 235, 16}, {16, 235, 235}, {16, 235, 16},
    {235, 16, 235},  {235, 16, 16},  {16, 16, 235},  {16, 16, 16},
};

uint8_t Luma(const uint8_t* rgb) { return uint8_t((77 * rgb[0] + 150 * rgb[1] + 29 * rgb[2]) >> 8); }

}  // namespace

void PaintTestFrame(RgbPicture& picture, uint32_t number, uint32_t count, bool grey) {
  const int w = picture.width, h = picture.height;
  // The bars move right by a sixteenth of the width each frame, so that
  // sixteen frames bring them back.
  const int64_t shift = int64_t(number % 16) * w / 16;
  for (int y = 0; y < h; ++y) {
    // Darker towards the bottom, so that no two rows are alike.
    const int shade = 256 - 96 * y / h;
    for (int x = 0; x < w; ++x) {
      const int64_t source = (x - shift + w) % w;
      const uint8_t* bar = kBars[source * 8 / w];
      uint8_t* p = picture.At(x, y);
      for (int c = 0; c < 3; ++c) p[c] = uint8_t(bar[c] * shade >> 8);
    }
  }
  DrawNumber(picture, number, DigitsFor(count));
  if (grey) {
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        uint8_t* p = picture.At(x, y);
        p[0] = p[1] = p[2] = Luma(p);
      }
    }
  }
}
