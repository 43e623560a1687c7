// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/image_types.h"

#include <cctype>

namespace {

struct ExtensionEntry {
  const char* extension;
  int type;
};

// Sorted by extension for the binary search.
constexpr ExtensionEntry kExtensions[] = {
    {"BMP", IMAGE_BMP}, {"GIF", IMAGE_GIF}, {"JPG", IMAGE_JPG},
    {"PNG", IMAGE_PNG}, {"XPM", IMAGE_XPM},
};

// Compares as both texts in lower case would compare, like stricmp.
int CompareIgnoringCase(const char* a, const std::string& b) {
  size_t i = 0;
  for (;; ++i) {
    int ca = std::tolower(static_cast<unsigned char>(a[i]));
    int cb = i < b.size() ? std::tolower(static_cast<unsigned char>(b[i])) : 0;
    if (ca != cb || ca == 0) return ca - cb;
  }
}

}  // namespace

std::string FindExtension(const std::string& path) {
  size_t dot = path.rfind('.');
  if (dot == std::string::npos) return std::string();
  return path.substr(dot + 1);
}

int ImageTypeFromExtension(const std::string& extension) {
  // An embedded NUL would compare as the end of the text; such a name is no extension.
  if (extension.find('\0') != std::string::npos) return IMAGE_UNKNOWN;
  int low = 0;
  int high = static_cast<int>(std::size(kExtensions));
  while (low < high) {
    int middle = (low + high) / 2;
    int order = CompareIgnoringCase(kExtensions[middle].extension, extension);
    if (order == 0) return kExtensions[middle].type;
    if (order < 0)
      low = middle + 1;
    else
      high = middle;
  }
  return IMAGE_UNKNOWN;
}
