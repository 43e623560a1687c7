// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The bitmap block: a device-independent bitmap in the Windows layout, kept
// in one zero-filled allocation whose address never changes while it lives.
//
//   40-byte BITMAPINFOHEADER | colour table (room for 256 entries) | pixels
//
// Rows are stored bottom-up, each padded to a multiple of 4 bytes. The pixels
// start right behind the colour table actually present, or behind the three
// bit-field masks of a BI_BITFIELDS block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

inline constexpr uint32_t BI_RGB = 0;
inline constexpr uint32_t BI_BITFIELDS = 3;
inline constexpr uint32_t kInfoHeaderSize = 40;
inline constexpr uint32_t kCoreHeaderSize = 12;
inline constexpr size_t kMaxColorEntries = 256;
// The header plus room for 256 colour entries, whatever the depth.
inline constexpr size_t kDibHeadRoom = kInfoHeaderSize + 4 * kMaxColorEntries;
// No picture gets a pixel array above this: sizes come from files.
inline constexpr uint64_t kMaxPixelBytes = uint64_t(512) << 20;

struct BITMAPINFOHEADER {
  uint32_t biSize = kInfoHeaderSize;
  int32_t biWidth = 0;
  int32_t biHeight = 0;  // positive: rows bottom-up
  uint16_t biPlanes = 1;
  uint16_t biBitCount = 0;
  uint32_t biCompression = BI_RGB;
  uint32_t biSizeImage = 0;
  int32_t biXPelsPerMeter = 0;
  int32_t biYPelsPerMeter = 0;
  uint32_t biClrUsed = 0;
  uint32_t biClrImportant = 0;
};

// The header fields are little-endian in the block, whatever the machine.
BITMAPINFOHEADER LoadInfoHeader(const uint8_t* block);
void StoreInfoHeader(uint8_t* block, const BITMAPINFOHEADER& header);
uint16_t LoadLE16(const uint8_t* p);
uint32_t LoadLE32(const uint8_t* p);
void StoreLE16(uint8_t* p, uint16_t v);
void StoreLE32(uint8_t* p, uint32_t v);

struct FreeDeleter {
  void operator()(uint8_t* p) const { std::free(p); }
};

class DibBlock {
 public:
  DibBlock() = default;
  // Returns false, leaving the block empty, when the memory cannot be had.
  bool Allocate(size_t size);
  void Release();

  uint8_t* data() const { return m_bytes.get(); }
  size_t size() const { return m_size; }
  explicit operator bool() const { return m_bytes != nullptr; }

 private:
  std::unique_ptr<uint8_t, FreeDeleter> m_bytes;
  size_t m_size = 0;
};

// ((depth * width + 31) / 32) * 4: one row padded to a multiple of 4 bytes.
int64_t DibRowBytes(int64_t depth, int64_t width);
// The depths a bitmap block holds.
bool IsDibDepth(int depth);
// Colour-table entries of a header: biClrUsed, or 1 << depth when that is 0
// and the depth is at most 8.
uint32_t ColorTableEntries(const BITMAPINFOHEADER& header);
// The first pixel byte of a block.
uint8_t* DibPixels(uint8_t* block);
const uint8_t* DibPixels(const uint8_t* block);

// A new block for a width x height picture of `depth` bits per pixel, its
// colour table holding the 16 standard colours (repeated for 256 entries; a
// 2-entry table stays zero). Empty when the size is not one a block can have
// or the memory cannot be had.
DibBlock AllocDIB(int depth, int width, int height);
