// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/dib_draw.h"

#include <algorithm>
#include <vector>

namespace {

void Combine(uint32_t* dest, uint32_t colour, uint32_t rop) {
  if (rop == SRCAND)
    *dest &= colour;
  else if (rop == SRCPAINT)
    *dest |= colour;
  else
    *dest = colour;
}

}  // namespace

void StretchDIBits(CSoftwareDC& dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc,
                   int ySrc, int srcWidth, int srcHeight, const uint8_t* bits, const uint8_t* block,
                   int colorUse, uint32_t rop) {
  if (!dc.HasSurface() || !bits || !block) return;
  if (destWidth <= 0 || destHeight <= 0 || srcWidth <= 0 || srcHeight <= 0) return;
  const DibPixelFormat format(block, colorUse, &dc.GetSelectedPalette());
  if (!format.readable()) return;

  // The source column of every destination column, -1 where none is drawn.
  std::vector<int> columns(size_t(destWidth), -1);
  int firstColumn = format.width(), lastColumn = -1;
  for (int x = 0; x < destWidth; ++x) {
    const int64_t dx = int64_t(xDest) + x;
    const int64_t sx = xSrc + ((2 * int64_t(x) + 1) * srcWidth) / (2 * int64_t(destWidth));
    if (dx < 0 || dx >= dc.Width() || sx < 0 || sx >= format.width()) continue;
    columns[size_t(x)] = int(sx);
    firstColumn = std::min(firstColumn, int(sx));
    lastColumn = std::max(lastColumn, int(sx));
  }
  if (lastColumn < 0) return;

  // One source row decoded at a time; repeated rows reuse it.
  std::vector<uint32_t> decoded(size_t(format.width()));
  int64_t decodedRow = -1;
  for (int y = 0; y < destHeight; ++y) {
    const int64_t dy = int64_t(yDest) + y;
    if (dy < 0 || dy >= dc.Height()) continue;
    const int64_t fromTop = ((2 * int64_t(y) + 1) * srcHeight) / (2 * int64_t(destHeight));
    const int64_t row = int64_t(ySrc) + srcHeight - 1 - fromTop;
    if (row < 0 || row >= format.height()) continue;
    if (row != decodedRow) {
      format.DecodeRow(bits + row * format.rowBytes(), firstColumn, lastColumn - firstColumn + 1,
                       decoded.data() + firstColumn);
      decodedRow = row;
    }
    uint32_t* out = dc.Row(int(dy));
    for (int x = 0; x < destWidth; ++x) {
      const int sx = columns[size_t(x)];
      if (sx >= 0) Combine(out + (int64_t(xDest) + x), decoded[size_t(sx)], rop);
    }
  }
}

void SetDIBitsToDevice(CSoftwareDC& dc, int xDest, int yDest, int width, int height, int xSrc,
                       int ySrc, int startScan, int scanLines, const uint8_t* bits,
                       const uint8_t* block, int colorUse) {
  if (!dc.HasSurface() || !bits || !block || width <= 0 || height <= 0) return;
  const DibPixelFormat format(block, colorUse, &dc.GetSelectedPalette());
  if (!format.readable()) return;
  for (int y = 0; y < height; ++y) {
    const int64_t dy = int64_t(yDest) + y;
    const int64_t row = int64_t(ySrc) + height - 1 - y;
    if (dy < 0 || dy >= dc.Height() || row < startScan || row >= int64_t(startScan) + scanLines ||
        row >= format.height())
      continue;
    const uint8_t* source = bits + (row - startScan) * format.rowBytes();
    uint32_t* out = dc.Row(int(dy));
    for (int x = 0; x < width; ++x) {
      const int64_t dx = int64_t(xDest) + x, sx = int64_t(xSrc) + x;
      if (dx >= 0 && dx < dc.Width() && sx >= 0 && sx < format.width())
        out[dx] = format.Pixel(source, int(sx));
    }
  }
}
