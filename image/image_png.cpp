// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/image_png.h"
#include "image/image_limits.h"
#include "image/picture_file.h"

#include <cinttypes>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include <png.h>

// What the reader and writer hand to libpng, freed on every way out by the
// caller of the function that marks the jump point: nothing with a
// destructor lives in the frames that libpng may jump back to.
struct PngReadState {
  std::FILE* file = nullptr;
  png_structp png = nullptr;
  png_infop info = nullptr;
  uint8_t* rows = nullptr;  // decoded sample rows (all of them when interlaced)
};

struct PngWriteState {
  std::FILE* file = nullptr;
  png_structp png = nullptr;
  png_infop info = nullptr;
  uint8_t* row = nullptr;
};

namespace {

void FinishRead(PngReadState& s) {
  png_destroy_read_struct(&s.png, &s.info, nullptr);
  std::free(s.rows);
  s.rows = nullptr;
  std::fclose(s.file);
}

// png_composite: colour over the background by alpha, rounded as libpng does.
uint8_t Blend(uint8_t colour, uint8_t alpha, uint8_t background) {
  const unsigned temp = unsigned(colour) * alpha + unsigned(background) * (255u - alpha) + 128u;
  return uint8_t((temp + (temp >> 8)) >> 8);
}

}  // namespace

int CImagePNG::Read(const std::string& path) {
  TakePath(path);
  PngReadState s;
  s.file = OpenPictureFile(fileName, false);
  if (!s.file) return 0;
  s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (s.png) s.info = png_create_info_struct(s.png);
  const int result = s.png && s.info ? ReadRows(s) : 0;
  FinishRead(s);
  return result;
}

int CImagePNG::ReadRows(PngReadState& s) {
  // libpng's errors come back here; the caller frees what s holds.
  if (setjmp(png_jmpbuf(s.png))) return 0;
  // Only IHDR, PLTE, tRNS, IDAT and IEND are read. The other chunks (text,
  // colour profiles, times, ...) are skipped unread: libpng would first
  // allocate the length they claim, a gigabyte from a file of 100 bytes.
  png_set_keep_unknown_chunks(s.png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  png_init_io(s.png, s.file);
  png_read_info(s.png, s.info);

  const png_uint_32 width = png_get_image_width(s.png, s.info);
  const png_uint_32 height = png_get_image_height(s.png, s.info);
  const int bitDepth = png_get_bit_depth(s.png, s.info);
  const int fileColourType = png_get_color_type(s.png, s.info);
  if (!ImageAreaAllowed(width, height)) png_error(s.png, "picture too large");
  const bool transparency = png_get_valid(s.png, s.info, PNG_INFO_tRNS) != 0;
  const bool interlaced = png_get_interlace_type(s.png, s.info) != PNG_INTERLACE_NONE;

  // The bitmap each kind of file becomes.
  int depth = 24;
  bool blend = false;
  if (fileColourType == PNG_COLOR_TYPE_PALETTE) {
    if (bitDepth == 2) png_set_packing(s.png);  // no 2-bit bitmaps: one index a byte
    depth = bitDepth == 2 ? 8 : bitDepth;
  } else if (fileColourType == PNG_COLOR_TYPE_GRAY && !transparency) {
    if (bitDepth < 8) png_set_expand_gray_1_2_4_to_8(s.png);
    depth = 8;
  } else {
    if (fileColourType == PNG_COLOR_TYPE_GRAY || fileColourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
      if (bitDepth < 8) png_set_expand_gray_1_2_4_to_8(s.png);
      png_set_gray_to_rgb(s.png);
    }
    if (transparency) png_set_tRNS_to_alpha(s.png);
    blend = transparency || (fileColourType & PNG_COLOR_MASK_ALPHA);
  }
  if (bitDepth == 16) png_set_strip_16(s.png);
  const int passes = interlaced ? png_set_interlace_handling(s.png) : 1;
  png_read_update_info(s.png, s.info);

  const size_t sampleBytes = png_get_rowbytes(s.png, s.info);
  const size_t channels = blend ? 4 : depth == 24 ? 3 : 1;
  const size_t expected = depth < 8 ? (size_t(width) * depth + 7) / 8 : size_t(width) * channels;
  if (sampleBytes != expected) png_error(s.png, "unexpected row layout");
  if (!Create(int(width), int(height), depth, fileColourType)) png_error(s.png, "picture too large");

  if (fileColourType == PNG_COLOR_TYPE_PALETTE) {
    png_colorp entries = nullptr;
    int count = 0;
    png_get_PLTE(s.png, s.info, &entries, &count);
    png_bytep alpha = nullptr;
    int alphaCount = 0;
    if (transparency) png_get_tRNS(s.png, s.info, &alpha, &alphaCount, nullptr);
    uint8_t rgb[3 * 256];
    for (int i = 0; i < count && i < 256; ++i) {
      const uint8_t a = i < alphaCount ? alpha[i] : 255;
      rgb[3 * i] = Blend(entries[i].red, a, kPngBackground[0]);
      rgb[3 * i + 1] = Blend(entries[i].green, a, kPngBackground[1]);
      rgb[3 * i + 2] = Blend(entries[i].blue, a, kPngBackground[2]);
    }
    SetPaletteRGB(count < 256 ? count : 256, rgb);
  } else if (depth == 8) {
    // Grey levels shown through the grey palette, as for grey JPEGs.
    uint8_t levels[256];
    for (int i = 0; i < 256; ++i) levels[i] = uint8_t(i);
    SetPalette(256, levels);
  }

  // Interlaced files fill every row in several passes, so all rows are kept.
  const size_t keptRows = interlaced ? height : 1;
  s.rows = static_cast<uint8_t*>(std::calloc(keptRows, sampleBytes));
  if (!s.rows) png_error(s.png, "out of memory");
  for (int pass = 0; pass < passes; ++pass) {
    for (png_uint_32 y = 0; y < height; ++y) {
      uint8_t* sample = s.rows + (interlaced ? sampleBytes * y : 0);
      png_read_row(s.png, sample, nullptr);
      if (pass != passes - 1) continue;
      // The top picture row goes into the last row in memory.
      uint8_t* dest = imageBits + ptrdiff_t(imageHeight - 1 - int(y)) * bytesPerLine;
      if (depth <= 8) {
        std::memcpy(dest, sample, sampleBytes);
      } else {
        for (png_uint_32 x = 0; x < width; ++x, dest += 3) {
          const uint8_t* p = sample + channels * x;
          const uint8_t a = blend ? p[3] : 255;
          dest[0] = Blend(p[2], a, kPngBackground[2]);
          dest[1] = Blend(p[1], a, kPngBackground[1]);
          dest[2] = Blend(p[0], a, kPngBackground[0]);
        }
      }
    }
  }
  png_read_end(s.png, nullptr);
  return 1;
}

int CImagePNG::Write(const std::string& path) {
  TakePath(path);
  // The file's colour type follows what the bitmap holds: the stored
  // colorType may carry the alpha bit of the file the image came from.
  const bool indexed = imageDepth == 1 || imageDepth == 4 || imageDepth == 8;
  if (!imageBits || (!indexed && imageDepth != 24)) return 0;

  // The palette: the palette object's entries, or without one the colours
  // of the colour table.
  png_color palette[256] = {};
  int paletteCount = 0;
  if (indexed) {
    const int room = 1 << imageDepth;
    if (imagePalette) {
      std::printf("writig paleta[%d %d %x]\n", colorType, 1,
                  unsigned(reinterpret_cast<uintptr_t>(imagePalette.get())));
      paletteCount = std::min(imagePalette->GetEntryCount(), room);
      for (int i = 0; i < paletteCount; ++i)
        GetPaletteRGB(imagePalette.get(), i, palette[i].red, palette[i].green, palette[i].blue);
    } else {
      const BITMAPINFOHEADER h = LoadInfoHeader(imageDIB.data());
      const uint8_t* table = imageDIB.data() + h.biSize;
      paletteCount = std::min(int(h.biClrUsed), room);
      for (int i = 0; i < paletteCount; ++i)
        palette[i] = png_color{table[4 * i + 2], table[4 * i + 1], table[4 * i]};
    }
    if (paletteCount == 0) return 0;
  }

  PngWriteState s;
  s.file = OpenPictureFile(fileName, true);
  if (!s.file) return 0;
  struct stat st {};
  const bool regular = ::fstat(fileno(s.file), &st) == 0 && S_ISREG(st.st_mode);
  s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (s.png) s.info = png_create_info_struct(s.png);
  int result = s.png && s.info ? WriteRows(s, palette, paletteCount) : 0;
  png_destroy_write_struct(&s.png, &s.info);
  std::free(s.row);
  if (std::fclose(s.file) != 0) result = 0;
  // A half-written file would pass for a picture; it goes.
  if (!result && regular) ::unlink(fileName.c_str());
  return result;
}

int CImagePNG::WriteRows(PngWriteState& s, const png_color* palette, int paletteCount) {
  if (setjmp(png_jmpbuf(s.png))) return 0;
  const bool indexed = paletteCount > 0;
  png_init_io(s.png, s.file);
  png_set_IHDR(s.png, s.info, png_uint_32(imageWidth), png_uint_32(imageHeight),
               indexed ? imageDepth : 8, indexed ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (indexed) png_set_PLTE(s.png, s.info, palette, paletteCount);
  png_write_info(s.png, s.info);

  const size_t rowBytes = indexed ? size_t(DibRowBytes(imageDepth, imageWidth)) : size_t(imageWidth) * 3;
  s.row = static_cast<uint8_t*>(std::malloc(rowBytes));
  if (!s.row) png_error(s.png, "out of memory");
  for (int y = imageHeight - 1; y >= 0; --y) {
    const uint8_t* source = imageBits + ptrdiff_t(y) * bytesPerLine;
    if (indexed) {
      std::memcpy(s.row, source, rowBytes);
    } else {
      for (int x = 0; x < imageWidth; ++x) {
        s.row[3 * x] = source[3 * x + 2];
        s.row[3 * x + 1] = source[3 * x + 1];
        s.row[3 * x + 2] = source[3 * x];
      }
    }
    png_write_row(s.png, s.row);
  }
  png_write_end(s.png, nullptr);
  return 1;
}
