// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/palette.h"

#include <algorithm>

#include "image/dib_block.h"

bool CPalette::CreatePalette(const LOGPALETTE& logical) {
  if (HasHandle() || logical.palNumEntries < 1 || logical.palNumEntries > 256) return false;
  m_count = logical.palNumEntries;
  std::copy(logical.palPalEntry, logical.palPalEntry + m_count, m_entries);
  return true;
}

int CPalette::GetPaletteEntries(int start, int count, PALETTEENTRY* out) const {
  if (start < 0 || count <= 0 || start >= m_count) return 0;
  int n = std::min(count, m_count - start);
  std::copy(m_entries + start, m_entries + start + n, out);
  return n;
}

int CPalette::GetNearestPaletteIndex(uint8_t r, uint8_t g, uint8_t b) const {
  int best = 0;
  int bestDistance = 3 * 255 * 255 + 1;
  for (int i = 0; i < m_count; ++i) {
    int dr = m_entries[i].peRed - r;
    int dg = m_entries[i].peGreen - g;
    int db = m_entries[i].peBlue - b;
    int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return best;
}

const CPalette& CPalette::Default() {
  static const CPalette* const palette = [] {
    constexpr uint32_t kStatic[20] = {
        0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080,
        0xC0C0C0, 0xC0DCC0, 0xA6CAF0, 0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000,
        0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
    };
    LOGPALETTE logical;
    logical.palNumEntries = 20;
    for (int i = 0; i < 20; ++i) {
      logical.palPalEntry[i].peRed = uint8_t(kStatic[i] >> 16);
      logical.palPalEntry[i].peGreen = uint8_t(kStatic[i] >> 8);
      logical.palPalEntry[i].peBlue = uint8_t(kStatic[i]);
    }
    auto* p = new CPalette;  // lives as long as the process
    p->CreatePalette(logical);
    return p;
  }();
  return *palette;
}

int CreateImagePalette(CPalette& palette, int count, const uint8_t* red, const uint8_t* green,
                       const uint8_t* blue) {
  if (palette.HasHandle() || count < 1 || count > 256) return 0;
  LOGPALETTE logical;
  logical.palNumEntries = uint16_t(count);
  for (int i = 0; i < count; ++i) {
    logical.palPalEntry[i].peRed = red[i];
    logical.palPalEntry[i].peGreen = green[i];
    logical.palPalEntry[i].peBlue = blue[i];
  }
  return palette.CreatePalette(logical) ? 1 : 0;
}

int MapDIBColors(uint8_t* block, const CPalette* palette, int mode) {
  if (!block) return 0;
  const CPalette& source = palette ? *palette : CPalette::Default();
  BITMAPINFOHEADER h = LoadInfoHeader(block);
  // The table never holds more than the block has room for.
  int64_t n = std::min<int64_t>(ColorTableEntries(h), kMaxColorEntries);
  if (n <= 0 || (n == 3 && h.biCompression == BI_BITFIELDS)) return 1;

  uint8_t* table = block + h.biSize;
  if (mode == 1) {
    for (int64_t i = 0; i < n; ++i) StoreLE16(table + 2 * i, uint16_t(i));
    return 1;
  }
  PALETTEENTRY entries[256];
  int fetched = source.GetPaletteEntries(0, int(n), entries);
  for (int64_t i = 0; i < n; ++i) {
    const PALETTEENTRY e = i < fetched ? entries[i] : PALETTEENTRY{};
    table[4 * i] = e.peBlue;
    table[4 * i + 1] = e.peGreen;
    table[4 * i + 2] = e.peRed;
    table[4 * i + 3] = 0;
  }
  return 1;
}

int GetPaletteRGB(const CPalette* palette, int index, uint8_t& r, uint8_t& g, uint8_t& b) {
  if (!palette || index < 0 || index > 255) return 0;
  PALETTEENTRY e;
  if (palette->GetPaletteEntries(index, 1, &e) != 1) return 0;
  r = e.peRed;
  g = e.peGreen;
  b = e.peBlue;
  return 1;
}

int NearestPaletteIndex(const CPalette* palette, uint8_t r, uint8_t g, uint8_t b) {
  return palette ? palette->GetNearestPaletteIndex(r, g, b) : 0;
}
