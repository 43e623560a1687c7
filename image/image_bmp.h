// CImageBMP: BMP files.
#pragma once

#include "image/image_file.h"

class CImageBMP : public CImageFile {
 public:
  explicit CImageBMP(std::string path) : CImageFile(std::move(path)) {}
};
