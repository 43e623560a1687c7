// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/image.h"

#include <new>

#include "image/image_bmp.h"
#include "image/image_gif.h"
#include "image/image_jpg.h"
#include "image/image_png.h"

CImage::CImage(const std::string& path, int type) { Load(path, type); }

int CImage::Load(const std::string& path, int type) {
  fileName = path;
  if (type == IMAGE_UNKNOWN) type = ImageTypeFromExtension(FindExtension(path));
  const int previousType = imageType;
  imageType = type;
  if (!impl || type != previousType) {
    if (!CreateImpl(fileName, type)) return 0;
  }
  return impl->Read(fileName);
}

int CImage::CreateImpl(const std::string& path, int& type) {
  impl.reset();
  switch (type) {
    case IMAGE_BMP:
      impl.reset(new (std::nothrow) CImageBMP(path));
      break;
    case IMAGE_JPG:
      impl.reset(new (std::nothrow) CImageJPG(path));
      break;
    case IMAGE_GIF:
      impl.reset(new (std::nothrow) CImageGIF(path));
      break;
    case IMAGE_PNG:
      impl.reset(new (std::nothrow) CImagePNG(path));
      break;
    default:
      return 0;
  }
  return impl ? 1 : 0;
}

int CImage::Create(int width, int height, int depth, int colorType) {
  if (!impl) {
    int type = IMAGE_BMP;
    if (!CreateImpl(std::string(), type)) return 0;
    imageType = IMAGE_BMP;
    fileName.clear();
  }
  return impl->Create(width, height, depth, colorType);
}

int CImage::Write(const std::string& path) { return impl ? impl->Write(path) : 0; }

int CImage::GetBytesPerLine() const { return impl ? impl->GetBytesPerLine() : 0; }
int CImage::GetWidth() const { return impl ? impl->GetWidth() : 0; }
int CImage::GetHeight() const { return impl ? impl->GetHeight() : 0; }
int CImage::GetDepth() const { return impl ? impl->GetDepth() : 0; }
int CImage::GetColorType() const { return impl ? impl->GetColorType() : 0; }
CPalette* CImage::GetPalette() const { return impl ? impl->GetPalette() : nullptr; }
uint8_t* CImage::GetBits() const { return impl ? impl->GetBits() : nullptr; }
CImageImpl* CImage::GetImpl() const { return impl.get(); }
int CImage::IsValid() const { return impl && impl->GetDIB() ? 1 : 0; }

int CImage::IsInside(int x, int y) const { return impl ? impl->IsInside(x, y) : 0; }
int CImage::GetIndex(int x, int y) const { return impl ? impl->GetIndex(x, y) : 0; }

int CImage::GetRGB(int x, int y, uint8_t& r, uint8_t& g, uint8_t& b) const {
  return impl ? impl->GetRGB(x, y, r, g, b) : 0;
}

int CImage::SetIndex(int x, int y, int index) { return impl ? impl->SetIndex(x, y, index) : 0; }

int CImage::SetRGB(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
  return impl ? impl->SetRGB(x, y, r, g, b) : 0;
}

int CImage::Draw(CSoftwareDC* pDC, int xDest, int yDest, int width, int height, int xSrc,
                 int startScan) {
  return impl ? impl->Draw(pDC, xDest, yDest, width, height, xSrc, startScan) : 0;
}

int CImage::StretchDraw(CSoftwareDC* pDC, int xDest, int yDest, int destWidth, int destHeight,
                        int xSrc, int ySrc, int srcWidth, int srcHeight) {
  return impl ? impl->StretchDraw(pDC, xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth,
                                  srcHeight)
              : 0;
}

int CImage::SetPalette(int count, const uint8_t* red, const uint8_t* green, const uint8_t* blue) {
  return impl ? impl->SetPalette(count, red, green, blue) : 0;
}

int CImage::SetPaletteRGB(int count, const uint8_t* rgb) {
  return impl ? impl->SetPaletteRGB(count, rgb) : 0;
}

int CImage::AttachPalette(std::unique_ptr<CPalette> palette) {
  return impl ? impl->AttachPalette(std::move(palette)) : 0;
}
