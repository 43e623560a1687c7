// CImageGIF: GIF files.
#pragma once

#include "image/image_file.h"

class CImageGIF : public CImageFile {
 public:
  explicit CImageGIF(std::string path) : CImageFile(std::move(path)) {}
};
