// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/clip_maker/seven_segment.h"

#include <algorithm>

const uint8_t kDigitSegments[10] = {
    0x3F,  // 0: a b c d e f
    0x06,  // 1: b c
    0x5B,  // 2: a b d e g
    0x4F,  // 3: a b c d g
    0x66,  // 4: b c f g
    0x6D,  // 5: a c d f g
    0x7D,  // 6: a c d e f g
    0x07,  // 7: a b c
    0x7F,  // 8: all
    0x6F,  // 9: a b c d f g
};

namespace {

int Thickness(const PixelRect& cell) { return std::max(1, cell.width / 5); }

}  // namespace

std::vector<PixelRect> DigitCells(int width, int height, int digits) {
  // A cell is w wide and 2w high; cells are w/3 apart.
  const int byWidth = (width * 9 / 10) * 3 / (digits * 4 - 1);
  const int byHeight = height / 4;
  const int w = std::max(1, std::min(byWidth, byHeight));
  const int gap = w / 3;
  const int total = digits * w + (digits - 1) * gap;
  std::vector<PixelRect> cells;
  for (int i = 0; i < digits; ++i)
    cells.push_back({(width - total) / 2 + i * (w + gap), (height - 2 * w) / 2, w, 2 * w});
  return cells;
}

std::array<PixelRect, 7> SegmentRects(const PixelRect& c) {
  const int t = Thickness(c);
  const int half = c.height / 2;
  return {{
      {c.x, c.y, c.width, t},                                // a: top
      {c.x + c.width - t, c.y, t, half},                     // b: upper right
      {c.x + c.width - t, c.y + half, t, c.height - half},   // c: lower right
      {c.x, c.y + c.height - t, c.width, t},                 // d: bottom
      {c.x, c.y + half, t, c.height - half},                 // e: lower left
      {c.x, c.y, t, half},                                   // f: upper left
      {c.x, c.y + (c.height - t) / 2, c.width, t},           // g: middle
  }};
}

PixelRect DigitPlate(const std::vector<PixelRect>& cells) {
  const PixelRect& first = cells.front();
  const PixelRect& last = cells.back();
  const int margin = Thickness(first) * 2;
  return {first.x - margin, first.y - margin, last.x + last.width - first.x + 2 * margin,
          first.height + 2 * margin};
}

int DigitsFor(uint32_t count) {
  int digits = 1;
  for (uint32_t largest = count > 0 ? count - 1 : 0; largest >= 10; largest /= 10) ++digits;
  return digits;
}

void DrawNumber(RgbPicture& picture, uint32_t number, int digits) {
  const std::vector<PixelRect> cells = DigitCells(picture.width, picture.height, digits);
  picture.Fill(DigitPlate(cells), 16, 16, 16);
  for (int i = digits - 1; i >= 0; --i, number /= 10) {
    const std::array<PixelRect, 7> segments = SegmentRects(cells[size_t(i)]);
    for (int s = 0; s < 7; ++s)
      if (kDigitSegments[number % 10] >> s & 1) picture.Fill(segments[size_t(s)], 240, 240, 240);
  }
}
