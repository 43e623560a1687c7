// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// CImageBMP: Windows bitmap files, with or without the 14-byte file header,
// with a 40-byte (or longer) info header or a 12-byte core header.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "image/dib_block.h"
#include "image/image_file.h"

class CImageBMP : public CImageFile {
 public:
  explicit CImageBMP(std::string path) : CImageFile(std::move(path)) {}

  // Replaces the bitmap (and palette) by the file's. 0 when the file cannot
  // be read or fails a check.
  int Read(const std::string& path) override;
  // Writes the bitmap with its colours in RGB form; the image keeps its own
  // colour table as it is.
  int Write(const std::string& path) override;
};

// What precedes the pixels of a bitmap file: the info header (core headers
// widened, longer headers cut to 40 bytes, run-length pixels marked for
// expansion), the bit-field masks and the colour table as entries of blue,
// green, red, 0.
struct BitmapInfo {
  BITMAPINFOHEADER header;
  bool coreHeader = false;
  bool topDown = false;  // the file's height was negative
  bool runLength = false;  // pixels stored as runs...
  uint32_t runBytes = 0;   // ...in this many bytes (0: up to the end of the file)
  uint32_t masks[3] = {0, 0, 0};
  uint32_t tableEntries = 0;
  uint8_t table[4 * kMaxColorEntries] = {};
};

// Reads and checks the headers and colour table, leaving the file at the
// pixels. False for files that are not bitmaps the layer can hold.
bool ReadBitmapInfo(std::FILE* file, BitmapInfo& info);
// A bitmap block made from the file, or an empty one.
DibBlock ReadBitmapFile(const std::string& path);
// Writes `block` as a bitmap file; 0 (and no file left) on failure.
int SaveBitmapFile(const std::string& path, const uint8_t* block);
// Bytes of the colour table in a file with this header.
uint32_t ColorTableSize(const BITMAPINFOHEADER& header, bool coreHeader);
// Writes size bytes, in pieces of 32768 when there are more than that;
// returns size, or 0 when a piece falls short.
size_t WriteChunked(std::FILE* file, const uint8_t* buffer, size_t size);
// A palette from the block's colour table (RGB form); none when the block
// has no table.
std::unique_ptr<CPalette> CreateDIBPalette(const uint8_t* block);
