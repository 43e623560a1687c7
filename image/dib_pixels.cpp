// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/dib_pixels.h"

#include <algorithm>
#include <bit>

#include "image/dib_block.h"

DibPixelFormat::DibPixelFormat(const uint8_t* block, int colorUse, const CPalette* palette) {
  const BITMAPINFOHEADER h = LoadInfoHeader(block);
  m_width = h.biWidth;
  m_height = h.biHeight;
  m_depth = h.biBitCount;
  m_rowBytes = DibRowBytes(m_depth, m_width);
  const bool bitFields = h.biCompression == BI_BITFIELDS;
  m_readable = IsDibDepth(m_depth) && m_width > 0 && m_height > 0 &&
               (h.biCompression == BI_RGB || (bitFields && (m_depth == 16 || m_depth == 32)));
  if (!m_readable) return;

  const uint8_t* table = block + h.biSize;
  if (m_depth <= 8) {
    const CPalette& selected = palette ? *palette : CPalette::Default();
    PALETTEENTRY entries[256];
    const int available = selected.GetPaletteEntries(0, 256, entries);
    const uint32_t n = std::min<uint32_t>(ColorTableEntries(h), 256);
    // Indices beyond the table, or beyond the palette, come out black.
    for (uint32_t i = 0; i < n; ++i) {
      if (colorUse == DIB_PAL_COLORS) {
        const int p = LoadLE16(table + 2 * i);
        if (p < available)
          m_lookup[i] = uint32_t(entries[p].peRed) << 16 | uint32_t(entries[p].peGreen) << 8 |
                        entries[p].peBlue;
      } else {
        m_lookup[i] = uint32_t(table[4 * i + 2]) << 16 | uint32_t(table[4 * i + 1]) << 8 |
                      table[4 * i];
      }
    }
  } else if (m_depth == 16) {
    const bool masks = bitFields;
    m_red = MakeChannel(masks ? LoadLE32(table) : 0x7C00);
    m_green = MakeChannel(masks ? LoadLE32(table + 4) : 0x03E0);
    m_blue = MakeChannel(masks ? LoadLE32(table + 8) : 0x001F);
  } else if (m_depth == 32) {
    const bool masks = bitFields;
    m_red = MakeChannel(masks ? LoadLE32(table) : 0xFF0000);
    m_green = MakeChannel(masks ? LoadLE32(table + 4) : 0x00FF00);
    m_blue = MakeChannel(masks ? LoadLE32(table + 8) : 0x0000FF);
  }
}

DibPixelFormat::Channel DibPixelFormat::MakeChannel(uint32_t mask) {
  Channel c;
  c.mask = mask;
  if (mask == 0) return c;
  c.shift = std::countr_zero(mask);
  c.max = mask >> c.shift;
  return c;
}

uint32_t DibPixelFormat::Expand(const Channel& c, uint32_t value) {
  if (c.max == 0) return 0;
  const uint32_t v = (value & c.mask) >> c.shift;
  return uint32_t((uint64_t(v) * 255 + c.max / 2) / c.max);
}

uint32_t DibPixelFormat::Reduce(const Channel& c, uint32_t eightBits) {
  if (c.max == 0) return 0;
  const uint32_t v = uint32_t((uint64_t(eightBits) * c.max + 127) / 255);
  return (v << c.shift) & c.mask;
}

uint32_t DibPixelFormat::FromMasks(uint32_t value) const {
  return Expand(m_red, value) << 16 | Expand(m_green, value) << 8 | Expand(m_blue, value);
}

uint32_t DibPixelFormat::Pixel(const uint8_t* row, int x) const {
  switch (m_depth) {
    case 1:
      return m_lookup[(row[x >> 3] >> (7 - (x & 7))) & 1];
    case 4:
      return m_lookup[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
    case 8:
      return m_lookup[row[x]];
    case 16:
      return FromMasks(LoadLE16(row + 2 * x));
    case 24: {
      const uint8_t* p = row + 3 * x;
      return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
    case 32:
      return FromMasks(LoadLE32(row + 4 * x));
  }
  return 0;
}

void DibPixelFormat::DecodeRow(const uint8_t* row, int first, int count, uint32_t* out) const {
  if (m_depth == 8) {
    for (int i = 0; i < count; ++i) out[i] = m_lookup[row[first + i]];
    return;
  }
  for (int i = 0; i < count; ++i) out[i] = Pixel(row, first + i);
}

void DibPixelFormat::StoreDirect(uint8_t* row, int x, uint32_t rgb) const {
  const uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  switch (m_depth) {
    case 16:
      StoreLE16(row + 2 * x, uint16_t(Reduce(m_red, r) | Reduce(m_green, g) | Reduce(m_blue, b)));
      break;
    case 24:
      row[3 * x] = uint8_t(b);
      row[3 * x + 1] = uint8_t(g);
      row[3 * x + 2] = uint8_t(r);
      break;
    case 32: {
      // Bits outside the three masks (the fourth byte) are kept.
      const uint32_t masks = m_red.mask | m_green.mask | m_blue.mask;
      const uint32_t old = LoadLE32(row + 4 * x) & ~masks;
      StoreLE32(row + 4 * x, old | Reduce(m_red, r) | Reduce(m_green, g) | Reduce(m_blue, b));
      break;
    }
  }
}
