// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Reading and writing the colours of a bitmap block's pixels, whatever their
// depth: indices through a colour lookup, 16- and 32-bit pixels through their
// channel masks, 24-bit pixels as blue, green, red.
#pragma once

#include <cstdint>

#include "image/palette.h"

// How the colour table of a block is read when drawing.
inline constexpr int DIB_RGB_COLORS = 0;  // entries of blue, green, red, 0
inline constexpr int DIB_PAL_COLORS = 1;  // 16-bit indices into the selected palette

class DibPixelFormat {
 public:
  // `palette` serves DIB_PAL_COLORS tables; none means the stock palette.
  DibPixelFormat(const uint8_t* block, int colorUse, const CPalette* palette);

  int width() const { return m_width; }
  int height() const { return m_height; }
  int depth() const { return m_depth; }
  int64_t rowBytes() const { return m_rowBytes; }
  // False for blocks it cannot read (unknown depth or compression).
  bool readable() const { return m_readable; }

  // 0x00RRGGBB of pixel x of a row.
  uint32_t Pixel(const uint8_t* row, int x) const;
  // Pixels first..first+count-1 of a row into out; all must lie in the row.
  void DecodeRow(const uint8_t* row, int first, int count, uint32_t* out) const;
  // Stores a colour into pixel x of a direct-colour row (16, 24, 32 bits).
  void StoreDirect(uint8_t* row, int x, uint32_t rgb) const;

 private:
  struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;  // mask >> shift
  };
  static Channel MakeChannel(uint32_t mask);
  static uint32_t Expand(const Channel& c, uint32_t value);
  static uint32_t Reduce(const Channel& c, uint32_t eightBits);
  uint32_t FromMasks(uint32_t value) const;

  int m_width = 0;
  int m_height = 0;
  int m_depth = 0;
  int64_t m_rowBytes = 0;
  bool m_readable = false;
  uint32_t m_lookup[256] = {};
  Channel m_red, m_green, m_blue;
};
