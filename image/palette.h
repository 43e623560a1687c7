// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Logical palettes: CPalette stands for one palette handle of up to 256
// entries, and the free functions make, map and look up palettes for the
// bitmap block.
#pragma once

#include <cstdint>

struct PALETTEENTRY {
  uint8_t peRed = 0;
  uint8_t peGreen = 0;
  uint8_t peBlue = 0;
  uint8_t peFlags = 0;
};

inline constexpr uint16_t kPaletteVersion = 0x300;

struct LOGPALETTE {
  uint16_t palVersion = kPaletteVersion;
  uint16_t palNumEntries = 0;
  PALETTEENTRY palPalEntry[256];
};

class CPalette {
 public:
  CPalette() = default;
  CPalette(const CPalette&) = delete;
  CPalette& operator=(const CPalette&) = delete;

  // Makes the palette from a logical palette of 1..256 entries; false when the
  // object already holds one or the logical palette is not valid.
  bool CreatePalette(const LOGPALETTE& logical);
  bool HasHandle() const { return m_count > 0; }
  void DeleteObject() { m_count = 0; }

  int GetEntryCount() const { return m_count; }
  // Copies up to `count` entries from `start`; returns how many it copied.
  int GetPaletteEntries(int start, int count, PALETTEENTRY* out) const;
  // The entry closest to (r, g, b) by squared RGB distance, the lowest index
  // on ties; 0 for a palette without handle.
  int GetNearestPaletteIndex(uint8_t r, uint8_t g, uint8_t b) const;

  // The stock palette that a device context holds when no other is selected:
  // the 20 static colours.
  static const CPalette& Default();

 private:
  int m_count = 0;
  PALETTEENTRY m_entries[256];
};

// Fills `palette` with count entries (red[i], green[i], blue[i]). 0 when the
// object already holds a palette or count is not 1..256.
int CreateImagePalette(CPalette& palette, int count, const uint8_t* red, const uint8_t* green,
                       const uint8_t* blue);

// Rewrites the colour table of a bitmap block. Mode 1: the index form, whose
// first n 16-bit words are 0..n-1. Mode 0: the RGB form, entry i taken from
// palette entry i (entries the palette lacks become black). No palette means
// the stock one. 0 when there is no block.
int MapDIBColors(uint8_t* block, const CPalette* palette, int mode);

// Entry `index` of the palette; 0 when the index is outside 0..255 or the
// palette does not have it.
int GetPaletteRGB(const CPalette* palette, int index, uint8_t& r, uint8_t& g, uint8_t& b);

int NearestPaletteIndex(const CPalette* palette, uint8_t r, uint8_t g, uint8_t b);
