// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/pixmap_file.h"
#include "image/picture_file.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "image/image.h"

bool WritePixmapFile(CImage& image, const std::string& path) {
  const int width = image.GetWidth(), height = image.GetHeight();
  if (!image.IsValid() || width <= 0 || height <= 0) return false;

  // Drawing unscaled with the image's palette selected expands every pixel
  // the way the player shows it.
  CSoftwareDC dc(width, height);
  dc.SelectPalette(image.GetPalette());
  image.Draw(&dc, 0, 0);

  std::FILE* file = OpenPictureFile(path, true);
  if (!file) return false;
  struct stat st {};
  const bool regular = ::fstat(fileno(file), &st) == 0 && S_ISREG(st.st_mode);
  bool ok = std::fprintf(file, "P6\n%d %d\n255\n", width, height) > 0;
  std::vector<uint8_t> line(size_t(width) * 3);
  for (int y = 0; ok && y < height; ++y) {
    const uint32_t* row = dc.Row(y);
    for (int x = 0; x < width; ++x) {
      line[3 * size_t(x)] = uint8_t(row[x] >> 16);
      line[3 * size_t(x) + 1] = uint8_t(row[x] >> 8);
      line[3 * size_t(x) + 2] = uint8_t(row[x]);
    }
    ok = std::fwrite(line.data(), 1, line.size(), file) == line.size();
  }
  if (std::fclose(file) != 0) ok = false;
  if (!ok && regular) ::unlink(path.c_str());
  return ok;
}
