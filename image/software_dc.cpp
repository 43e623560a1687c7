// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/software_dc.h"

#include <algorithm>

CSoftwareDC::CSoftwareDC(int width, int height) {
  if (width <= 0 || height <= 0) return;
  m_own.assign(size_t(width) * size_t(height), 0);
  m_pixels = m_own.data();
  m_width = width;
  m_height = height;
  m_stride = width * 4;
}

CSoftwareDC::CSoftwareDC(uint32_t* pixels, int width, int height, int strideBytes) {
  if (!pixels || width <= 0 || height <= 0 || strideBytes < width * 4) return;
  m_pixels = pixels;
  m_width = width;
  m_height = height;
  m_stride = strideBytes;
}

uint32_t CSoftwareDC::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
  return Row(y)[x];
}

const CPalette* CSoftwareDC::SelectPalette(const CPalette* palette) {
  const CPalette* previous = m_palette;
  m_palette = palette ? palette : &CPalette::Default();
  return previous;
}

void CSoftwareDC::Rectangle(int left, int top, int right, int bottom) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, m_width);
  bottom = std::min(bottom, m_height);
  if (left >= right) return;
  for (int y = top; y < bottom; ++y) std::fill(Row(y) + left, Row(y) + right, m_brush);
}
