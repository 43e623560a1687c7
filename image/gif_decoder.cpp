// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/gif_decoder.h"

#include <cstring>
#include <memory>
#include <new>

int GifByteReader::GifReadByte() {
  if (m_pos >= m_size) {
    if (m_ended) return -1;
    m_size = std::fread(m_buffer, 1, kBufferSize, m_file);
    m_pos = 0;
    if (m_size < kBufferSize) m_ended = true;
    if (m_size == 0) return -1;
  }
  return m_buffer[m_pos++];
}

GifLineWriter::GifLineWriter(uint8_t* bits, int bytesPerLine, int height, bool interlaced)
    : m_bits(bits), m_bytesPerLine(bytesPerLine), m_height(height), m_interlaced(interlaced),
      m_row(height - 1) {}

int GifLineWriter::GifPutLine(const uint8_t* pixels, int count) {
  if (count > m_bytesPerLine) count = m_bytesPerLine;
  if (!m_interlaced) {
    if (m_row < 0 || m_row >= m_height) return -1;
    std::memcpy(m_bits + ptrdiff_t(m_row) * m_bytesPerLine, pixels, size_t(count));
    --m_row;
    return 0;
  }
  // Passes: every 8th row from 0, every 8th from 4, every 4th from 2,
  // every 2nd from 1. Rows after the last pass are not placed.
  static constexpr int kStart[4] = {0, 4, 2, 1};
  static constexpr int kStep[4] = {8, 8, 4, 2};
  if (m_pass >= 4) return -1;
  const int memoryRow = m_height - 1 - m_next;
  std::memcpy(m_bits + ptrdiff_t(memoryRow) * m_bytesPerLine, pixels, size_t(count));
  m_next += kStep[m_pass];
  while (m_pass < 4 && m_next >= m_height) {
    if (++m_pass < 4) m_next = kStart[m_pass];
  }
  return 0;
}

bool GifDecoder::ReadSubBlock() {
  // A block terminator before the end code ends the data as well.
  const int size = m_reader.GifReadByte();
  if (size <= 0) return false;
  // Of a block cut off by the end of the file, the bytes that are there count.
  int count = 0;
  for (int byte; count < size && (byte = m_reader.GifReadByte()) >= 0; ++count)
    m_block[count] = uint8_t(byte);
  m_blockPos = 0;
  m_bytesLeft = count;
  return count > 0;
}

int GifDecoder::NextCode() {
  static constexpr uint32_t kMask[kMaxCodeSize + 1] = {0x0,  0x1,  0x3,   0x7,   0xF,
                                                       0x1F, 0x3F, 0x7F,  0xFF,  0x1FF,
                                                       0x3FF, 0x7FF, 0xFFF};
  if (m_bitsLeft == 0) {
    if (m_bytesLeft <= 0 && !ReadSubBlock()) return -1;
    m_currentByte = m_block[m_blockPos++];
    m_bitsLeft = 8;
    --m_bytesLeft;
  }
  // Least significant bits first, across as many bytes as the code needs.
  uint32_t code = m_currentByte >> (8 - m_bitsLeft);
  while (m_codeSize > m_bitsLeft) {
    if (m_bytesLeft <= 0 && !ReadSubBlock()) return -1;
    m_currentByte = m_block[m_blockPos++];
    code |= m_currentByte << m_bitsLeft;
    m_bitsLeft += 8;
    --m_bytesLeft;
  }
  m_bitsLeft -= m_codeSize;
  return int(code & kMask[m_codeSize]);
}

int GifDecoder::Decode(int lineWidth, int& badCodes) {
  badCodes = 0;
  const int size = m_reader.GifReadByte();
  if (size < 2 || size > 9) return kBadCodeSize;
  m_codeSize = size + 1;
  m_topSlot = 1 << m_codeSize;
  m_clearCode = 1 << size;
  m_endCode = m_clearCode + 1;
  m_firstFree = m_slot = m_clearCode + 2;
  m_bitsLeft = m_bytesLeft = 0;

  std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[size_t(lineWidth) + 1]);
  if (!row) return kNoMemory;
  uint8_t* out = row.get();
  int rowFree = lineWidth;
  int oldCode = 0, firstChar = 0;

  // Puts one pixel into the row, handing full rows to the writer.
  auto emit = [&](int pixel) {
    *out++ = uint8_t(pixel);
    if (--rowFree > 0) return 0;
    out = row.get();
    rowFree = lineWidth;
    return m_writer.GifPutLine(row.get(), lineWidth);
  };

  for (;;) {
    int c = NextCode();
    if (c < 0 || c == m_endCode) break;
    if (c == m_clearCode) {
      m_codeSize = size + 1;
      m_slot = m_firstFree;
      m_topSlot = 1 << m_codeSize;
      do {
        c = NextCode();
      } while (c == m_clearCode);
      if (c < 0 || c == m_endCode) break;
      if (c >= m_slot) c = 0;
      oldCode = firstChar = c;
      if (int r = emit(c); r < 0) return r;
      continue;
    }

    int code = c;
    int sp = 0;
    if (code >= m_slot) {
      if (code > m_slot) ++badCodes;
      code = oldCode;
      m_stack[sp++] = uint8_t(firstChar);
    }
    // A chain longer than the stack only comes from damaged data, whose
    // table entries point in circles: the picture ends there.
    while (code >= m_firstFree && sp < kTableSize) {
      m_stack[sp++] = m_suffix[code];
      code = m_prefix[code];
    }
    if (sp >= kTableSize) break;
    m_stack[sp++] = uint8_t(code);
    firstChar = code;
    if (m_slot < m_topSlot) {
      m_suffix[m_slot] = uint8_t(firstChar);
      m_prefix[m_slot] = uint16_t(oldCode);
      ++m_slot;
      oldCode = c;
    }
    if (m_slot >= m_topSlot && m_codeSize < kMaxCodeSize) {
      m_topSlot <<= 1;
      ++m_codeSize;
    }
    while (sp > 0)
      if (int r = emit(m_stack[--sp]); r < 0) return r;
  }
  // What was decoded of the last row is kept.
  if (rowFree != lineWidth) return m_writer.GifPutLine(row.get(), lineWidth - rowFree);
  return 0;
}
