// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/image_gif.h"
#include "image/image_limits.h"
#include "image/picture_file.h"

#include <cstring>
#include <memory>

#include "image/gif_decoder.h"

namespace {

// Everything one read needs, kept off the stack (tables and buffer are large).
struct GifReadState {
  explicit GifReadState(std::FILE* file) : reader(file) {}
  GifByteReader reader;
  uint8_t table[3 * 256] = {};
  int tableEntries = 0;
};

bool ReadBytes(GifByteReader& reader, uint8_t* out, int count) {
  for (int i = 0; i < count; ++i) {
    const int byte = reader.GifReadByte();
    if (byte < 0) return false;
    out[i] = uint8_t(byte);
  }
  return true;
}

// Skips data sub-blocks up to the terminator; false when the file ends.
bool SkipSubBlocks(GifByteReader& reader) {
  for (;;) {
    const int size = reader.GifReadByte();
    if (size <= 0) return size == 0;
    for (int i = 0; i < size; ++i)
      if (reader.GifReadByte() < 0) return false;
  }
}

bool ReadColourTable(GifReadState& state, uint8_t packed) {
  if (!(packed & 0x80)) return true;
  state.tableEntries = 1 << ((packed & 7) + 1);
  return ReadBytes(state.reader, state.table, 3 * state.tableEntries);
}

}  // namespace

int CImageGIF::Read(const std::string& path) {
  TakePath(path);
  std::FILE* file = OpenPictureFile(fileName, false);
  if (!file) return 0;
  auto state = std::make_unique<GifReadState>(file);
  GifByteReader& reader = state->reader;

  // Signature "GIF87a" or "GIF89a", then the logical screen descriptor.
  uint8_t header[13];
  if (!ReadBytes(reader, header, 13) || std::memcmp(header, "GIF8", 4) != 0 ||
      !ReadColourTable(*state, header[10])) {
    std::fclose(file);
    return 0;
  }

  transparentIndex = -1;
  // Blocks up to the first image, which is the one read.
  bool haveImage = false;
  while (!haveImage) {
    const int byte = reader.GifReadByte();
    if (byte == 0x21) {
      const int label = reader.GifReadByte();
      if (label == 0xF9) {
        uint8_t control[4];
        if (reader.GifReadByte() != 4 || !ReadBytes(reader, control, 4)) break;
        if (control[0] & 1) transparentIndex = control[3];
      }
      if (label < 0 || !SkipSubBlocks(reader)) break;
    } else if (byte == 0x2C) {
      uint8_t descriptor[9];
      if (!ReadBytes(reader, descriptor, 9) || !ReadColourTable(*state, descriptor[8])) break;
      const int width = descriptor[4] | (descriptor[5] << 8);
      const int height = descriptor[6] | (descriptor[7] << 8);
      // The screen the picture declares is refused before it is allocated
      // and decoded row by row.
      if (!ImageAreaAllowed(uint64_t(width), uint64_t(height)) || !Create(width, height, 8, -1)) break;

      if (state->tableEntries > 0) {
        uint8_t red[256], green[256], blue[256];
        bool hasWhite = false;
        for (int i = 0; i < state->tableEntries; ++i) {
          red[i] = state->table[3 * i];
          green[i] = state->table[3 * i + 1];
          blue[i] = state->table[3 * i + 2];
          hasWhite = hasWhite || (red[i] == 255 && green[i] == 255 && blue[i] == 255);
        }
        int count = state->tableEntries;
        if (transparentIndex >= 0) {
          // Drawing masks with the nearest black and white entries: make
          // sure both exist, and that the transparent entry is black.
          for (int i = state->tableEntries; i < 256; ++i) red[i] = green[i] = blue[i] = 255;
          if (!hasWhite && state->tableEntries == 256) red[255] = green[255] = blue[255] = 255;
          red[transparentIndex] = green[transparentIndex] = blue[transparentIndex] = 0;
          count = 256;
        }
        SetPalette(count, red, green, blue);
      }

      GifLineWriter writer(imageBits, bytesPerLine, imageHeight, (descriptor[8] & 0x40) != 0);
      auto decoder = std::make_unique<GifDecoder>(reader, writer);
      int badCodes = 0;
      decoder->Decode(imageWidth, badCodes);  // a damaged stream keeps what it decoded
      haveImage = true;
    } else {
      break;  // the trailer, or anything unknown
    }
  }
  std::fclose(file);
  return haveImage ? 1 : 0;
}
