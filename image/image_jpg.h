// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// CImageJPG: JPEG files through libjpeg. Reading gives an 8-bit palette
// bitmap (256 grey levels, or at most 128 colours chosen for the picture);
// writing compresses 8-bit palette or 24-bit bitmaps at `quality`.
#pragma once

#include "image/image_file.h"

class CImageJPG : public CImageFile {
 public:
  explicit CImageJPG(std::string path) : CImageFile(std::move(path)) {}

  // Nonzero when the picture was read; library warnings such as a truncated
  // scan do not stop it.
  int Read(const std::string& path) override;
  // 1 when the file was written. On any failure the half-written file is
  // removed and the result is 0.
  int Write(const std::string& path) override;

  int quality = 30;
};
