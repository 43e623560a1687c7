// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// CImageImpl: the bitmap block and palette that every format class shares,
// with pixel access, palettes and drawing. Readers and writers live in the
// format classes (image_file.h and the image_*.h beside it).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "image/dib_block.h"
#include "image/palette.h"
#include "image/software_dc.h"

// Bits of colorType, in the manner of PNG colour types.
inline constexpr int kColorTypePalette = 1;
inline constexpr int kColorTypeColour = 2;
inline constexpr int kColorTypeAlpha = 4;

class CImageImpl {
 public:
  CImageImpl() = default;
  CImageImpl(const CImageImpl&) = delete;
  CImageImpl& operator=(const CImageImpl&) = delete;
  virtual ~CImageImpl() = default;

  virtual int IsInside(int x, int y) const;
  // A new zeroed bitmap; the old block and palette go first. colorType below
  // 0 means 0 for depths up to 8 and 2 above. 0 when no block can be had.
  virtual int Create(int width, int height, int depth, int colorType);
  // Pixel (0, 0) lies in the first row in memory, the bottom row of the
  // picture. Indices exist at depths up to 8; SetIndex keeps the low bits.
  virtual int GetIndex(int x, int y) const;
  virtual int GetRGB(int x, int y, uint8_t& r, uint8_t& g, uint8_t& b) const;
  virtual int SetIndex(int x, int y, int index);
  virtual int SetRGB(int x, int y, uint8_t r, uint8_t g, uint8_t b);
  virtual int Read(const std::string& path);
  virtual int Write(const std::string& path);

  // Drawing into a device context; the caller selects GetPalette() into it
  // first. -1 takes the defaults. 0 without a bitmap, else 1.
  int Draw(CSoftwareDC* pDC, int xDest, int yDest, int width = -1, int height = -1, int xSrc = 0,
           int startScan = 0);
  int StretchDraw(CSoftwareDC* pDC, int xDest, int yDest, int destWidth = -1, int destHeight = -1,
                  int xSrc = 0, int ySrc = 0, int srcWidth = -1, int srcHeight = -1);

  // A new palette of count entries; green none takes red, blue none takes
  // green. The colour table turns into index form.
  int SetPalette(int count, const uint8_t* red, const uint8_t* green = nullptr,
                 const uint8_t* blue = nullptr);
  // The same from count triples of red, green, blue; warns when a palette exists.
  int SetPaletteRGB(int count, const uint8_t* rgb);
  // Adopts `palette` as the image's own.
  int AttachPalette(std::unique_ptr<CPalette> palette);

  int GetWidth() const { return imageWidth; }
  int GetHeight() const { return imageHeight; }
  int GetDepth() const { return imageDepth; }
  int GetColorType() const { return colorType; }
  int GetBytesPerLine() const { return bytesPerLine; }
  uint8_t* GetBits() const { return imageBits; }
  uint8_t* GetDIB() const { return imageDIB.data(); }
  CPalette* GetPalette() const { return imagePalette.get(); }
  int GetTransparentIndex() const { return transparentIndex; }
  // Drawing lets pixels of this index show the background; -1 for none.
  void SetTransparentIndex(int index) { transparentIndex = index; }

 protected:
  // Forgets the bitmap and palette.
  void ReleaseBitmap();
  uint8_t* PixelAddress(int x, int y) const;
  int ColorUse() const;

  uint8_t* imageBits = nullptr;
  int imageWidth = 0;
  int imageHeight = 0;
  int imageDepth = 0;
  int colorType = 0;
  int bytesPerLine = 0;
  DibBlock imageDIB;
  int transparentIndex = -1;
  std::unique_ptr<CPalette> imagePalette;
};
