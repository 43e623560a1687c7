// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/image_bmp.h"
#include "image/image_limits.h"
#include "image/picture_file.h"

#include "image/bmp_rle.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr uint16_t kBitmapMagic = 0x4D42;  // "BM"
constexpr uint32_t kFileHeaderSize = 14;

bool ReadExactly(std::FILE* file, void* buffer, size_t size) {
  return std::fread(buffer, 1, size, file) == size;
}

// Masks that a 16- or 32-bit bitmap without bit fields implies.
void DefaultMasks(int depth, uint32_t masks[3]) {
  if (depth == 16) {
    masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  } else {
    masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
  }
}

// The fields a bitmap block can hold, and sizes that fit in memory.
bool CheckHeader(BitmapInfo& info) {
  BITMAPINFOHEADER& h = info.header;
  const int depth = h.biBitCount;
  if (!IsDibDepth(depth) || h.biWidth <= 0 || h.biHeight == 0 ||
      h.biHeight == INT32_MIN)
    return false;
  if (h.biCompression == BI_BITFIELDS) {
    if (depth != 16 && depth != 32) return false;
  } else if (h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4) {
    // Runs are stored bottom-up only.
    if (depth != (h.biCompression == BI_RLE8 ? 8 : 4) || h.biHeight < 0) return false;
    info.runLength = true;
    info.runBytes = h.biSizeImage;
    h.biCompression = BI_RGB;
  } else if (h.biCompression != BI_RGB) {
    return false;  // embedded JPEG or PNG pixels are not read
  }
  if (h.biClrUsed > kMaxColorEntries) return false;
  if (h.biHeight < 0) {
    info.topDown = true;
    h.biHeight = -h.biHeight;
  }
  if (!ImageAreaAllowed(uint64_t(h.biWidth), uint64_t(h.biHeight))) return false;
  const uint64_t pixelBytes = uint64_t(DibRowBytes(depth, h.biWidth)) * uint64_t(h.biHeight);
  if (pixelBytes > kMaxPixelBytes) return false;
  // The file's biSizeImage may be 0 or anything; the rows decide.
  h.biSizeImage = uint32_t(pixelBytes);
  return true;
}

// Reads up to `declared` bytes of runs (no more than the file holds) and
// expands them into the rows.
bool ReadRunLengths(std::FILE* file, uint32_t declared, const BITMAPINFOHEADER& h,
                    uint8_t* pixels) {
  struct stat st {};
  const long here = std::ftell(file);
  if (::fstat(fileno(file), &st) != 0 || here < 0 || st.st_size < here) return false;
  const uint64_t available = uint64_t(st.st_size - here);
  const uint64_t wanted = declared != 0 ? declared : available;
  const size_t size = size_t(std::min<uint64_t>({wanted, available, kMaxPixelBytes}));
  std::vector<uint8_t> runs(size);
  if (!ReadExactly(file, runs.data(), size)) return false;
  ExpandRunLengths(runs.data(), size, h.biBitCount, h.biWidth, h.biHeight, pixels,
                   size_t(DibRowBytes(h.biBitCount, h.biWidth)));
  return true;
}

}  // namespace

uint32_t ColorTableSize(const BITMAPINFOHEADER& header, bool coreHeader) {
  return ColorTableEntries(header) * (coreHeader ? 3 : 4);
}

bool ReadBitmapInfo(std::FILE* file, BitmapInfo& info) {
  const long start = std::ftell(file);
  if (start < 0) return false;
  uint8_t fileHeader[kFileHeaderSize];
  if (!ReadExactly(file, fileHeader, sizeof fileHeader)) return false;
  uint32_t offBits = 0;
  if (LoadLE16(fileHeader) == kBitmapMagic) {
    offBits = LoadLE32(fileHeader + 10);
  } else if (std::fseek(file, start, SEEK_SET) != 0) {
    return false;  // no file header: the info header starts the file
  }

  uint8_t raw[kInfoHeaderSize] = {};
  if (!ReadExactly(file, raw, 4)) return false;
  const uint32_t headerSize = LoadLE32(raw);
  BITMAPINFOHEADER& h = info.header;
  if (headerSize == kCoreHeaderSize) {
    if (!ReadExactly(file, raw + 4, kCoreHeaderSize - 4)) return false;
    h = BITMAPINFOHEADER{};
    h.biWidth = LoadLE16(raw + 4);
    h.biHeight = LoadLE16(raw + 6);
    h.biPlanes = LoadLE16(raw + 8);
    h.biBitCount = LoadLE16(raw + 10);
    info.coreHeader = true;
  } else if (headerSize >= kInfoHeaderSize && headerSize <= 1024) {
    if (!ReadExactly(file, raw + 4, kInfoHeaderSize - 4)) return false;
    h = LoadInfoHeader(raw);
    h.biSize = kInfoHeaderSize;
    // Version 2 to 5 headers hold the bit-field masks in their body.
    uint8_t extra[1024 - kInfoHeaderSize];
    const uint32_t extraSize = headerSize - kInfoHeaderSize;
    if (extraSize > 0 && !ReadExactly(file, extra, extraSize)) return false;
    if (h.biCompression == BI_BITFIELDS) {
      if (extraSize >= 12) {
        for (int i = 0; i < 3; ++i) info.masks[i] = LoadLE32(extra + 4 * i);
      } else {
        uint8_t masks[12];
        if (!ReadExactly(file, masks, sizeof masks)) return false;
        for (int i = 0; i < 3; ++i) info.masks[i] = LoadLE32(masks + 4 * i);
      }
    }
  } else {
    return false;
  }
  if (!CheckHeader(info)) return false;

  const int depth = h.biBitCount;
  if (depth > 8) {
    // Direct colours: a colour table here would only advise; it is skipped
    // (bfOffBits, or the count, finds the pixels).
    if (h.biCompression != BI_BITFIELDS) DefaultMasks(depth, info.masks);
    if (h.biClrUsed != 0 && offBits == 0 &&
        std::fseek(file, long(ColorTableSize(h, info.coreHeader)), SEEK_CUR) != 0)
      return false;
    h.biClrUsed = 0;
    info.tableEntries = 0;
  } else {
    if (h.biClrUsed == 0) h.biClrUsed = 1u << depth;
    info.tableEntries = h.biClrUsed;
    const size_t entrySize = info.coreHeader ? 3 : 4;
    uint8_t raw[4 * kMaxColorEntries];
    if (!ReadExactly(file, raw, entrySize * info.tableEntries)) return false;
    for (uint32_t i = 0; i < info.tableEntries; ++i) {
      std::memcpy(info.table + 4 * i, raw + entrySize * i, 3);
      info.table[4 * i + 3] = 0;
    }
  }
  if (offBits != 0 && std::fseek(file, start + long(offBits), SEEK_SET) != 0) return false;
  return true;
}

DibBlock ReadBitmapFile(const std::string& path) {
  DibBlock block;
  std::FILE* file = OpenPictureFile(path, false);
  if (!file) return block;
  auto info = std::make_unique<BitmapInfo>();
  if (!ReadBitmapInfo(file, *info)) {
    std::fclose(file);
    return block;
  }
  const BITMAPINFOHEADER& h = info->header;
  if (!block.Allocate(kDibHeadRoom + h.biSizeImage)) {
    std::fclose(file);
    return block;
  }
  StoreInfoHeader(block.data(), h);
  if (h.biCompression == BI_BITFIELDS) {
    for (int i = 0; i < 3; ++i) StoreLE32(block.data() + kInfoHeaderSize + 4 * i, info->masks[i]);
  } else {
    std::memcpy(block.data() + kInfoHeaderSize, info->table, 4 * size_t(info->tableEntries));
  }
  uint8_t* pixels = DibPixels(block.data());
  bool complete;
  if (info->runLength) {
    complete = ReadRunLengths(file, info->runBytes, h, pixels);
  } else {
    // Every row the header declares must be in the file.
    complete = ReadExactly(file, pixels, h.biSizeImage);
  }
  std::fclose(file);
  if (!complete) {
    block.Release();
    return block;
  }
  if (info->topDown) {
    const size_t rowBytes = size_t(DibRowBytes(h.biBitCount, h.biWidth));
    std::vector<uint8_t> swap(rowBytes);
    for (int32_t top = 0, bottom = h.biHeight - 1; top < bottom; ++top, --bottom) {
      uint8_t* a = pixels + rowBytes * size_t(top);
      uint8_t* b = pixels + rowBytes * size_t(bottom);
      std::memcpy(swap.data(), a, rowBytes);
      std::memcpy(a, b, rowBytes);
      std::memcpy(b, swap.data(), rowBytes);
    }
  }
  return block;
}

size_t WriteChunked(std::FILE* file, const uint8_t* buffer, size_t size) {
  constexpr size_t kPiece = 32768;
  size_t done = 0;
  while (done < size) {
    const size_t piece = size - done > kPiece ? kPiece : size - done;
    if (std::fwrite(buffer + done, 1, piece, file) != piece) return 0;
    done += piece;
  }
  return size;
}

namespace {

// Writes the file header, then the header and colour table from `head`, then
// the pixels.
int SaveBitmapParts(const std::string& path, const uint8_t* head, const uint8_t* pixels) {
  const BITMAPINFOHEADER h = LoadInfoHeader(head);
  const uint32_t tableBytes =
      h.biCompression == BI_BITFIELDS ? 12 : ColorTableSize(h, false);
  const uint32_t headBytes = h.biSize + tableBytes;

  uint8_t fileHeader[kFileHeaderSize] = {};
  StoreLE16(fileHeader, kBitmapMagic);
  StoreLE32(fileHeader + 2, kFileHeaderSize + headBytes + h.biSizeImage);
  StoreLE32(fileHeader + 10, kFileHeaderSize + headBytes);

  std::FILE* file = OpenPictureFile(path, true);
  if (!file) return 0;
  struct stat st {};
  const bool regular = ::fstat(fileno(file), &st) == 0 && S_ISREG(st.st_mode);
  bool ok = WriteChunked(file, fileHeader, sizeof fileHeader) == sizeof fileHeader &&
            WriteChunked(file, head, headBytes) == headBytes &&
            WriteChunked(file, pixels, h.biSizeImage) == h.biSizeImage;
  if (std::fclose(file) != 0) ok = false;
  // A half-written bitmap would pass for a picture; it goes.
  if (!ok && regular) ::unlink(path.c_str());
  return ok ? 1 : 0;
}

}  // namespace

int SaveBitmapFile(const std::string& path, const uint8_t* block) {
  if (!block) return 0;
  return SaveBitmapParts(path, block, DibPixels(block));
}

std::unique_ptr<CPalette> CreateDIBPalette(const uint8_t* block) {
  const BITMAPINFOHEADER h = LoadInfoHeader(block);
  if (h.biClrUsed == 0 || h.biClrUsed > kMaxColorEntries || h.biCompression == BI_BITFIELDS)
    return nullptr;
  LOGPALETTE logical;
  logical.palNumEntries = uint16_t(h.biClrUsed);
  const uint8_t* table = block + h.biSize;
  for (uint32_t i = 0; i < h.biClrUsed; ++i) {
    logical.palPalEntry[i].peBlue = table[4 * i];
    logical.palPalEntry[i].peGreen = table[4 * i + 1];
    logical.palPalEntry[i].peRed = table[4 * i + 2];
  }
  auto palette = std::make_unique<CPalette>();
  palette->CreatePalette(logical);
  return palette;
}

int CImageBMP::Read(const std::string& path) {
  TakePath(path);
  DibBlock block = ReadBitmapFile(fileName);
  if (!block) return 0;
  // The old bitmap and palette go; the file's replace them.
  imageDIB = std::move(block);
  imagePalette.reset();
  const BITMAPINFOHEADER h = LoadInfoHeader(imageDIB.data());
  imageWidth = h.biWidth;
  imageHeight = h.biHeight;
  imageDepth = h.biBitCount;
  imageBits = DibPixels(imageDIB.data());
  bytesPerLine = int(DibRowBytes(imageDepth, imageWidth));
  colorType = imageDepth <= 8 ? 0 : kColorTypeColour;

  std::unique_ptr<CPalette> palette = CreateDIBPalette(imageDIB.data());
  if (!palette) return 1;
  imagePalette = std::move(palette);
  MapDIBColors(imageDIB.data(), imagePalette.get(), 1);
  colorType = 3;
  return 1;
}

int CImageBMP::Write(const std::string& path) {
  TakePath(path);
  if (!imageDIB) return 0;
  if (!imagePalette) return SaveBitmapFile(fileName, imageDIB.data());
  // The file needs colours where the image keeps palette indices: the
  // header and table are written from a copy turned back into RGB form.
  std::vector<uint8_t> head(imageDIB.data(), imageDIB.data() + kDibHeadRoom);
  MapDIBColors(head.data(), imagePalette.get(), 0);
  return SaveBitmapParts(fileName, head.data(), imageBits);
}
