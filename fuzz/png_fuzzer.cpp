// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Any bytes as a PNG file, read through CImage by its type code. The chunk
// checksums are put right first: libpng drops a chunk whose checksum fails,
// and nearly every mutation breaks one.
#include <vector>
#include <zlib.h>

#include "fuzz/bitmap_check.h"
#include "image/image_types.h"

namespace {

uint32_t LoadBE32(const uint8_t* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

void StoreBE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (24 - 8 * i));
}

// Rewrites the checksum of every whole chunk behind the 8-byte signature.
void FixChunkChecksums(std::vector<uint8_t>& png) {
  size_t at = 8;
  while (at + 12 <= png.size()) {
    const uint64_t length = LoadBE32(&png[at]);
    if (at + 12 + length > png.size()) break;
    const uint8_t* typeAndData = &png[at + 4];
    StoreBE32(&png[at + 8 + length], uint32_t(crc32(0, typeAndData, uInt(4 + length))));
    at += 12 + length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> png(data, data + size);
  FixChunkChecksums(png);
  ReadAndCheckPicture(png.data(), png.size(), IMAGE_PNG, "picture.png");
  return 0;
}
