// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// CImage: the image object. It picks a format class by type code or by the
// file's extension and forwards every operation to it. An object whose type
// has no class answers 0 (or none) to everything.
#pragma once

#include <memory>
#include <string>

#include "image/image_impl.h"
#include "image/image_types.h"

class CImage {
 public:
  // Loads `path`; a file that cannot be read leaves an object whose width and
  // height are 0.
  explicit CImage(const std::string& path = std::string(), int type = IMAGE_UNKNOWN);
  CImage(const CImage&) = delete;
  CImage& operator=(const CImage&) = delete;
  virtual ~CImage() = default;

  virtual int GetBytesPerLine() const;
  virtual int GetWidth() const;
  virtual int GetHeight() const;
  virtual int GetDepth() const;
  virtual int GetColorType() const;
  virtual int IsInside(int x, int y) const;
  // Without an implementation first makes an empty bitmap image (IMAGE_BMP).
  virtual int Create(int width, int height, int depth, int colorType);
  // Replaces the implementation by the class of `type`; 0 when there is none.
  virtual int CreateImpl(const std::string& path, int& type);
  virtual int Draw(CSoftwareDC* pDC, int xDest, int yDest, int width = -1, int height = -1,
                   int xSrc = 0, int startScan = 0);
  virtual int StretchDraw(CSoftwareDC* pDC, int xDest, int yDest, int destWidth = -1,
                          int destHeight = -1, int xSrc = 0, int ySrc = 0, int srcWidth = -1,
                          int srcHeight = -1);
  virtual int GetIndex(int x, int y) const;
  virtual int GetRGB(int x, int y, uint8_t& r, uint8_t& g, uint8_t& b) const;
  virtual int SetIndex(int x, int y, int index);
  virtual int SetRGB(int x, int y, uint8_t r, uint8_t g, uint8_t b);
  virtual int SetPalette(int count, const uint8_t* red, const uint8_t* green = nullptr,
                         const uint8_t* blue = nullptr);
  virtual int SetPaletteRGB(int count, const uint8_t* rgb);
  virtual int AttachPalette(std::unique_ptr<CPalette> palette);
  virtual CPalette* GetPalette() const;
  virtual int IsValid() const;
  virtual CImageImpl* GetImpl() const;
  virtual uint8_t* GetBits() const;

  // Reads `path` as `type` (IMAGE_UNKNOWN: by its extension), keeping the
  // implementation when the type stays the same. Returns the reader's result.
  int Load(const std::string& path, int type);
  // Writes the image through its format class; 0 without one.
  int Write(const std::string& path);

  int GetImageType() const { return imageType; }
  const std::string& GetFileName() const { return fileName; }

 private:
  int imageType = IMAGE_UNKNOWN;
  std::string fileName;
  std::unique_ptr<CImageImpl> impl;
};
