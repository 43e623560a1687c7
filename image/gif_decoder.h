// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The parts of GIF reading below the file's block structure: buffered bytes,
// the LZW decoder, and the writer that puts decoded rows into a bottom-up
// 8-bit bitmap, interlaced or not.
#pragma once

#include <cstdint>
#include <cstdio>

// Reads a file in pieces of 16384 bytes.
class GifByteReader {
 public:
  explicit GifByteReader(std::FILE* file) : m_file(file) {}
  // The next byte, 0..255; -1 once the file has ended.
  int GifReadByte();

 private:
  static constexpr size_t kBufferSize = 16384;
  std::FILE* m_file;
  uint8_t m_buffer[kBufferSize];
  size_t m_pos = kBufferSize;  // beyond the end: the first call reads
  size_t m_size = kBufferSize;
  bool m_ended = false;
};

// Stores decoded rows, the picture's top row into the last row in memory.
class GifLineWriter {
 public:
  GifLineWriter(uint8_t* bits, int bytesPerLine, int height, bool interlaced);
  // Copies count pixels into the next row; -1 when the image has no row left.
  int GifPutLine(const uint8_t* pixels, int count);

 private:
  uint8_t* m_bits;
  int m_bytesPerLine;
  int m_height;
  bool m_interlaced;
  int m_row;      // the next memory row, when not interlaced
  int m_next = 0;  // the next picture row, when interlaced
  int m_pass = 0;
};

class GifDecoder {
 public:
  static constexpr int kBadCodeSize = -20;
  static constexpr int kNoMemory = -10;

  GifDecoder(GifByteReader& reader, GifLineWriter& writer) : m_reader(reader), m_writer(writer) {}
  // Decodes one image's data into rows of lineWidth pixels. 0 at the end
  // code or a premature end of the data; kBadCodeSize for an initial code
  // size outside 2..9; a negative result of GifPutLine is passed on.
  // Undefined codes beyond the next free one are counted in badCodes.
  int Decode(int lineWidth, int& badCodes);

 private:
  static constexpr int kTableSize = 4096;
  static constexpr int kMaxCodeSize = 12;

  // The next code of codeSize bits; -1 when the data ends.
  int NextCode();
  bool ReadSubBlock();

  GifByteReader& m_reader;
  GifLineWriter& m_writer;
  int m_codeSize = 0;
  int m_topSlot = 0;
  int m_clearCode = 0;
  int m_endCode = 0;
  int m_firstFree = 0;
  int m_slot = 0;
  int m_bitsLeft = 0;
  int m_bytesLeft = 0;
  uint32_t m_currentByte = 0;
  uint8_t m_block[255] = {};
  int m_blockPos = 0;
  uint8_t m_suffix[kTableSize] = {};
  uint16_t m_prefix[kTableSize] = {};
  uint8_t m_stack[kTableSize] = {};
};
