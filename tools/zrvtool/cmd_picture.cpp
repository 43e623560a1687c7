// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvtool picture: any picture file that the image layer reads, written as PPM.
#include <string>

#include "image/image.h"
#include "image/pixmap_file.h"
#include "tools/cli/commands.h"

namespace {

int RunPicture(int argc, char** argv) {
  if (argc != 3) return UsageError(kPictureCommand, "expected IN OUT.ppm");
  const std::string in = argv[1];
  if (ImageTypeFromExtension(FindExtension(in)) == IMAGE_UNKNOWN)
    return Refuse("'" + in + "': the extension names no picture format (bmp, gif, jpg, png)");

  CImage image(in, IMAGE_UNKNOWN);
  if (!image.IsValid() || image.GetWidth() == 0 || image.GetHeight() == 0)
    return Refuse("'" + in + "' cannot be read as a picture");
  if (!WritePixmapFile(image, argv[2])) return Refuse(std::string("cannot write '") + argv[2] + "'");
  return kExitOk;
}

}  // namespace

const Command kPictureCommand = {"picture", "IN OUT.ppm",
                                 "read a picture file (type by its extension) and write it as a PPM",
                                 RunPicture};
