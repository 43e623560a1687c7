// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/dib_block.h"

#include <cstring>

namespace {

// Black, dark red, dark green, olive, navy, purple, teal, silver, grey, red,
// green, yellow, blue, magenta, cyan, white, as red-green-blue.
constexpr uint32_t kStandardColors[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

}  // namespace

uint16_t LoadLE16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

uint32_t LoadLE32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void StoreLE16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

void StoreLE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

BITMAPINFOHEADER LoadInfoHeader(const uint8_t* b) {
  BITMAPINFOHEADER h;
  h.biSize = LoadLE32(b);
  h.biWidth = int32_t(LoadLE32(b + 4));
  h.biHeight = int32_t(LoadLE32(b + 8));
  h.biPlanes = LoadLE16(b + 12);
  h.biBitCount = LoadLE16(b + 14);
  h.biCompression = LoadLE32(b + 16);
  h.biSizeImage = LoadLE32(b + 20);
  h.biXPelsPerMeter = int32_t(LoadLE32(b + 24));
  h.biYPelsPerMeter = int32_t(LoadLE32(b + 28));
  h.biClrUsed = LoadLE32(b + 32);
  h.biClrImportant = LoadLE32(b + 36);
  return h;
}

void StoreInfoHeader(uint8_t* b, const BITMAPINFOHEADER& h) {
  StoreLE32(b, h.biSize);
  StoreLE32(b + 4, uint32_t(h.biWidth));
  StoreLE32(b + 8, uint32_t(h.biHeight));
  StoreLE16(b + 12, h.biPlanes);
  StoreLE16(b + 14, h.biBitCount);
  StoreLE32(b + 16, h.biCompression);
  StoreLE32(b + 20, h.biSizeImage);
  StoreLE32(b + 24, uint32_t(h.biXPelsPerMeter));
  StoreLE32(b + 28, uint32_t(h.biYPelsPerMeter));
  StoreLE32(b + 32, h.biClrUsed);
  StoreLE32(b + 36, h.biClrImportant);
}

bool DibBlock::Allocate(size_t size) {
  Release();
  m_bytes.reset(static_cast<uint8_t*>(std::calloc(size ? size : 1, 1)));
  if (!m_bytes) return false;
  m_size = size;
  return true;
}

void DibBlock::Release() {
  m_bytes.reset();
  m_size = 0;
}

int64_t DibRowBytes(int64_t depth, int64_t width) { return ((depth * width + 31) / 32) * 4; }

bool IsDibDepth(int depth) {
  return depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
}

uint32_t ColorTableEntries(const BITMAPINFOHEADER& h) {
  if (h.biClrUsed != 0) return h.biClrUsed;
  return h.biBitCount <= 8 ? 1u << h.biBitCount : 0;
}

uint8_t* DibPixels(uint8_t* block) {
  BITMAPINFOHEADER h = LoadInfoHeader(block);
  if (h.biCompression == BI_BITFIELDS) return block + h.biSize + 12;
  return block + h.biSize + 4 * size_t(h.biClrUsed);
}

const uint8_t* DibPixels(const uint8_t* block) { return DibPixels(const_cast<uint8_t*>(block)); }

DibBlock AllocDIB(int depth, int width, int height) {
  DibBlock block;
  if (!IsDibDepth(depth) || width <= 0 || height <= 0) return block;
  const uint64_t pixelBytes = uint64_t(DibRowBytes(depth, width)) * uint64_t(height);
  if (pixelBytes > kMaxPixelBytes) return block;
  if (!block.Allocate(kDibHeadRoom + pixelBytes)) return block;

  BITMAPINFOHEADER h;
  h.biWidth = width;
  h.biHeight = height;
  h.biBitCount = uint16_t(depth);
  h.biSizeImage = uint32_t(pixelBytes);
  h.biClrUsed = depth == 1 ? 2 : depth == 4 ? 16 : depth == 8 ? 256 : 0;
  StoreInfoHeader(block.data(), h);

  // Colour entries are blue, green, red, 0.
  uint8_t* table = block.data() + kInfoHeaderSize;
  if (h.biClrUsed >= 16) {
    for (uint32_t i = 0; i < h.biClrUsed; ++i) {
      uint32_t rgb = kStandardColors[i % 16];
      table[4 * i] = uint8_t(rgb);
      table[4 * i + 1] = uint8_t(rgb >> 8);
      table[4 * i + 2] = uint8_t(rgb >> 16);
    }
  }
  return block;
}
