// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/bmp_rle.h"

namespace {

// Writes index pixels of 8 or 4 bits into one row, ignoring those past its end.
class RowCursor {
 public:
  RowCursor(uint8_t* pixels, size_t rowBytes, int depth, int width, int height)
      : m_pixels(pixels), m_rowBytes(rowBytes), m_depth(depth), m_width(width), m_height(height) {}

  void Put(uint8_t index) {
    if (m_x < m_width && m_y < m_height) {
      uint8_t* row = m_pixels + m_rowBytes * size_t(m_y);
      if (m_depth == 8) {
        row[m_x] = index;
      } else {
        uint8_t& byte = row[m_x / 2];
        byte = (m_x % 2) ? uint8_t((byte & 0xF0) | (index & 0x0F))
                         : uint8_t((byte & 0x0F) | (index << 4));
      }
    }
    ++m_x;
  }
  void NextRow() {
    m_x = 0;
    ++m_y;
  }
  void Move(int dx, int dy) {
    m_x += dx;
    m_y += dy;
  }
  bool Done() const { return m_y >= m_height; }

 private:
  uint8_t* m_pixels;
  size_t m_rowBytes;
  int m_depth, m_width, m_height;
  int m_x = 0, m_y = 0;  // m_y counts rows from the bottom, as stored
};

}  // namespace

void ExpandRunLengths(const uint8_t* data, size_t size, int depth, int width, int height,
                      uint8_t* pixels, size_t rowBytes) {
  RowCursor cursor(pixels, rowBytes, depth, width, height);
  size_t i = 0;
  while (i + 1 < size && !cursor.Done()) {
    const int count = data[i];
    const uint8_t value = data[i + 1];
    i += 2;
    if (count > 0) {
      // A run: the byte repeated, or for 4 bits its two nibbles alternating.
      for (int k = 0; k < count && k <= width; ++k)
        cursor.Put(depth == 8 ? value : (k % 2 ? value & 0x0F : value >> 4));
      continue;
    }
    if (value == 0) {
      cursor.NextRow();
    } else if (value == 1) {
      return;
    } else if (value == 2) {
      if (i + 1 >= size) return;
      cursor.Move(data[i], data[i + 1]);
      i += 2;
    } else {
      // Absolute: `value` pixels as they are, padded to an even byte count.
      const size_t bytes = depth == 8 ? value : (size_t(value) + 1) / 2;
      for (int k = 0; k < value && i + size_t(depth == 8 ? k : k / 2) < size; ++k) {
        const uint8_t byte = data[i + size_t(depth == 8 ? k : k / 2)];
        cursor.Put(depth == 8 ? byte : (k % 2 ? byte & 0x0F : byte >> 4));
      }
      i += bytes + (bytes % 2);
    }
  }
}
