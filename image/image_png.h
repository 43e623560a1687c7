// CImagePNG: PNG files.
#pragma once

#include "image/image_file.h"

class CImagePNG : public CImageFile {
 public:
  explicit CImagePNG(std::string path) : CImageFile(std::move(path)) {}
};
