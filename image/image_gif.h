// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// CImageGIF: the first image of a GIF file (87a or 89a) as an 8-bit palette
// bitmap, with the graphic control extension's transparent index. GIF files
// are not written.
#pragma once

#include "image/image_file.h"

class CImageGIF : public CImageFile {
 public:
  explicit CImageGIF(std::string path) : CImageFile(std::move(path)) {}

  // 1 when the file held an image, decoded as far as its data is sound.
  int Read(const std::string& path) override;
};
