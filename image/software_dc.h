// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// A software device context: a 32-bit surface (0x00RRGGBB per pixel, rows top
// down) with a selected palette and a solid brush. Bitmaps are drawn into it
// by the functions of dib_draw.h. The surface either belongs to the context
// or lies in the caller's memory (a QImage's pixels, for instance).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/palette.h"

class CSoftwareDC {
 public:
  // A context without a surface: drawing into it draws nothing.
  CSoftwareDC() = default;
  // A surface of its own, black.
  CSoftwareDC(int width, int height);
  // Over the caller's pixels, which must outlive the context.
  CSoftwareDC(uint32_t* pixels, int width, int height, int strideBytes);
  CSoftwareDC(const CSoftwareDC&) = delete;
  CSoftwareDC& operator=(const CSoftwareDC&) = delete;

  bool HasSurface() const { return m_pixels != nullptr; }
  int Width() const { return m_width; }
  int Height() const { return m_height; }
  int StrideBytes() const { return m_stride; }
  uint32_t* Pixels() { return m_pixels; }
  const uint32_t* Pixels() const { return m_pixels; }
  uint32_t* Row(int y) {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(m_pixels) +
                                       std::ptrdiff_t(y) * m_stride);
  }
  const uint32_t* Row(int y) const { return const_cast<CSoftwareDC*>(this)->Row(y); }
  // 0 outside the surface.
  uint32_t GetPixel(int x, int y) const;

  // Selects `palette` (none: the stock palette) and returns the one selected
  // before. The context does not own it.
  const CPalette* SelectPalette(const CPalette* palette);
  const CPalette& GetSelectedPalette() const { return *m_palette; }

  void SelectSolidBrush(uint32_t rgb) { m_brush = rgb & 0xFFFFFF; }
  // Fills left <= x < right, top <= y < bottom with the brush, clipped to the surface.
  void Rectangle(int left, int top, int right, int bottom);

 private:
  std::vector<uint32_t> m_own;
  uint32_t* m_pixels = nullptr;
  int m_width = 0;
  int m_height = 0;
  int m_stride = 0;
  const CPalette* m_palette = &CPalette::Default();
  uint32_t m_brush = 0xFFFFFF;
};
