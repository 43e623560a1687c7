// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/image_impl.h"

#include <vector>

#include "image/dib_draw.h"
#include "image/dib_pixels.h"
#include "image/image_warning.h"

int CImageImpl::IsInside(int x, int y) const {
  return x >= 0 && x < imageWidth && y >= 0 && y < imageHeight ? 1 : 0;
}

void CImageImpl::ReleaseBitmap() {
  imageDIB.Release();
  imagePalette.reset();
  imageBits = nullptr;
  imageWidth = imageHeight = imageDepth = bytesPerLine = 0;
}

int CImageImpl::Create(int width, int height, int depth, int type) {
  ReleaseBitmap();
  colorType = type >= 0 ? type : depth <= 8 ? 0 : kColorTypeColour;
  DibBlock block = AllocDIB(depth, width, height);
  // Without a block the image has no size either, so callers that look at
  // the width see that nothing was made.
  if (!block) return 0;
  imageDIB = std::move(block);
  imageWidth = width;
  imageHeight = height;
  imageDepth = depth;
  imageBits = DibPixels(imageDIB.data());
  bytesPerLine = int(DibRowBytes(depth, width));
  return 1;
}

uint8_t* CImageImpl::PixelAddress(int x, int y) const {
  return imageBits + ptrdiff_t(y) * bytesPerLine + (ptrdiff_t(x) * imageDepth) / 8;
}

int CImageImpl::ColorUse() const { return imagePalette ? DIB_PAL_COLORS : DIB_RGB_COLORS; }

// Below 8 bits a byte holds several pixels, the leftmost in its high bits.
int CImageImpl::GetIndex(int x, int y) const {
  if (!IsInside(x, y) || !imageBits || imageDepth > 8) return -1;
  const uint8_t byte = *PixelAddress(x, y);
  if (imageDepth == 8) return byte;
  const int shift = 8 - imageDepth - (x * imageDepth) % 8;
  return (byte >> shift) & ((1 << imageDepth) - 1);
}

int CImageImpl::SetIndex(int x, int y, int index) {
  if (!IsInside(x, y) || !imageBits || imageDepth > 8) return 0;
  uint8_t* byte = PixelAddress(x, y);
  if (imageDepth == 8) {
    *byte = uint8_t(index);
    return 1;
  }
  const int shift = 8 - imageDepth - (x * imageDepth) % 8;
  const int mask = ((1 << imageDepth) - 1) << shift;
  *byte = uint8_t((*byte & ~mask) | ((index << shift) & mask));
  return 1;
}

int CImageImpl::GetRGB(int x, int y, uint8_t& r, uint8_t& g, uint8_t& b) const {
  if (!IsInside(x, y) || !imageBits) return 0;
  if (imagePalette && imageDepth <= 8)
    return GetPaletteRGB(imagePalette.get(), GetIndex(x, y), r, g, b);
  // Without a palette object the colour table is in RGB form.
  const DibPixelFormat format(imageDIB.data(), DIB_RGB_COLORS, nullptr);
  const uint32_t rgb = format.Pixel(imageBits + ptrdiff_t(y) * bytesPerLine, x);
  r = uint8_t(rgb >> 16);
  g = uint8_t(rgb >> 8);
  b = uint8_t(rgb);
  return 1;
}

int CImageImpl::SetRGB(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
  if (!IsInside(x, y) || !imageBits) return 0;
  if (colorType & kColorTypePalette) {
    if (!imagePalette) return 0;
    return SetIndex(x, y, NearestPaletteIndex(imagePalette.get(), r, g, b));
  }
  if (imageDepth <= 8) {
    // Index bitmap without a palette: the nearest colour of its table.
    const BITMAPINFOHEADER h = LoadInfoHeader(imageDIB.data());
    const uint8_t* table = imageDIB.data() + h.biSize;
    int best = 0, bestDistance = 1 << 30;
    for (int i = 0; i < int(h.biClrUsed); ++i) {
      const int db = table[4 * i] - b, dg = table[4 * i + 1] - g, dr = table[4 * i + 2] - r;
      const int distance = dr * dr + dg * dg + db * db;
      if (distance < bestDistance) bestDistance = distance, best = i;
    }
    return SetIndex(x, y, best);
  }
  const DibPixelFormat format(imageDIB.data(), DIB_RGB_COLORS, nullptr);
  format.StoreDirect(imageBits + ptrdiff_t(y) * bytesPerLine, x,
                     uint32_t(r) << 16 | uint32_t(g) << 8 | b);
  return 1;
}

int CImageImpl::Read(const std::string&) { return 0; }
int CImageImpl::Write(const std::string&) { return 0; }

int CImageImpl::SetPalette(int count, const uint8_t* red, const uint8_t* green,
                           const uint8_t* blue) {
  if (!green) green = red;
  if (!blue) blue = green;
  auto palette = std::make_unique<CPalette>();
  // A palette that cannot be made leaves the object without handle; the
  // table still goes to index form, as for any palette.
  if (red && green && blue) CreateImagePalette(*palette, count, red, green, blue);
  imagePalette = std::move(palette);
  colorType |= 3;
  return MapDIBColors(imageDIB.data(), imagePalette.get(), 1);
}

int CImageImpl::SetPaletteRGB(int count, const uint8_t* rgb) {
  if (count < 0 || count > 256 || (count > 0 && !rgb)) return 0;
  if (imagePalette) ShowImageWarning("CImageImpl::imagePalette already exists!");
  uint8_t red[256], green[256], blue[256];
  for (int i = 0; i < count; ++i) {
    red[i] = rgb[3 * i];
    green[i] = rgb[3 * i + 1];
    blue[i] = rgb[3 * i + 2];
  }
  return SetPalette(count, red, green, blue);
}

int CImageImpl::AttachPalette(std::unique_ptr<CPalette> palette) {
  if (!palette) return 0;
  imagePalette = std::move(palette);
  colorType |= 3;
  return MapDIBColors(imageDIB.data(), imagePalette.get(), 1);
}

int CImageImpl::Draw(CSoftwareDC* pDC, int xDest, int yDest, int width, int height, int xSrc,
                     int startScan) {
  if (!imageDIB) return 0;
  if (!pDC || !pDC->HasSurface()) return 1;
  if (width == -1) width = imageWidth;
  if (height == -1) height = imageHeight;
  SetDIBitsToDevice(*pDC, xDest, yDest, width, height, xSrc, 0, startScan, height, imageBits,
                    imageDIB.data(), ColorUse());
  return 1;
}

int CImageImpl::StretchDraw(CSoftwareDC* pDC, int xDest, int yDest, int destWidth, int destHeight,
                            int xSrc, int ySrc, int srcWidth, int srcHeight) {
  if (!imageDIB) return 0;
  if (!pDC || !pDC->HasSurface()) return 1;
  if (destWidth == -1) destWidth = imageWidth;
  if (destHeight == -1) destHeight = imageHeight;
  if (srcWidth == -1) srcWidth = imageWidth - xSrc;
  if (srcHeight == -1) srcHeight = imageHeight - ySrc;
  const uint8_t* block = imageDIB.data();

  // Only index pixels can be transparent.
  if (transparentIndex < 0 || imageDepth > 8) {
    StretchDIBits(*pDC, xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth, srcHeight,
                  imageBits, block, ColorUse(), SRCCOPY);
    return 1;
  }

  // Transparent: a mask (white where transparent) ANDed in, then the picture
  // with black in its transparent pixels ORed in, then the bitmap restored.
  std::vector<uint8_t> saved(size_t(imageWidth) * size_t(imageHeight));
  const int black = NearestPaletteIndex(imagePalette.get(), 0, 0, 0);
  const int white = NearestPaletteIndex(imagePalette.get(), 255, 255, 255);
  for (int y = 0; y < imageHeight; ++y)
    for (int x = 0; x < imageWidth; ++x) {
      const int index = GetIndex(x, y);
      saved[size_t(y) * imageWidth + x] = uint8_t(index);
      SetIndex(x, y, index == transparentIndex ? white : black);
    }
  StretchDIBits(*pDC, xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth, srcHeight,
                imageBits, block, ColorUse(), SRCAND);
  for (int y = 0; y < imageHeight; ++y)
    for (int x = 0; x < imageWidth; ++x) {
      const int index = saved[size_t(y) * imageWidth + x];
      SetIndex(x, y, index == transparentIndex ? black : index);
    }
  StretchDIBits(*pDC, xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth, srcHeight,
                imageBits, block, ColorUse(), SRCPAINT);
  for (int y = 0; y < imageHeight; ++y)
    for (int x = 0; x < imageWidth; ++x) SetIndex(x, y, saved[size_t(y) * imageWidth + x]);
  return 1;
}
