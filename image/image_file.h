// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// CImageFile: an image that belongs to a file; the base of the format classes.
#pragma once

#include <string>

#include "image/image_impl.h"

class CImageFile : public CImageImpl {
 public:
  explicit CImageFile(std::string path) : fileName(std::move(path)) {}
  const std::string& GetFileName() const { return fileName; }

 protected:
  // A non-empty path replaces fileName; the file used is always fileName.
  void TakePath(const std::string& path) {
    if (!path.empty()) fileName = path;
  }

  std::string fileName;
};
