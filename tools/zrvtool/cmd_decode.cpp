// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvtool decode: one frame of a clip decoded the way the player shows it,
// written as a PPM picture.
#include <string>

#include "container/frame_content.h"
#include "container/frame_file.h"
#include "image/image.h"
#include "image/pixmap_file.h"
#include "tools/cli/commands.h"
#include "container/private_folder.h"

namespace {

// A PPM holds three bytes a pixel, uncompressed: a frame of the largest size
// the readers take (8192 x 8192) would be a 192 MiB file made from a clip of a
// few kilobytes. Larger pictures are refused before they are decoded; their
// JPEG is what `zrvtool frame` writes.
constexpr uint64_t kMaxPixmapBytes = uint64_t(64) << 20;

int RunDecode(int argc, char** argv) {
  if (argc != 4) return UsageError(kDecodeCommand, "expected FILE K OUT.ppm");
  uint32_t k = 0;
  if (!ParseUint32(argv[2], k)) return UsageError(kDecodeCommand, "K must be a frame number");

  LoadedClip clip;
  if (!LoadClip(argv[1], clip)) return kExitRefused;
  if (k >= clip.index.frameCount)
    return Refuse("frame " + std::to_string(k) + " is out of range (the clip has " +
                  std::to_string(clip.index.frameCount) + " frames)");

  int width = 0, height = 0;
  if (FrameContent(clip.bytes.data(), clip.index).DeclaredSize(k, width, height) &&
      uint64_t(width) * uint64_t(height) * 3 > kMaxPixmapBytes)
    return Refuse("frame " + std::to_string(k) + " is " + std::to_string(width) + " x " +
                  std::to_string(height) + ": its PPM would take more than the " +
                  std::to_string(kMaxPixmapBytes >> 20) +
                  " MiB that decode writes; 'zrvtool frame' gives its JPEG");

  PrivateFolder temp;
  if (!temp.made()) return Refuse("cannot make a temporary folder");
  const std::string framePath = temp.File("zrvplayer_tmp.jpg");
  if (!WriteFrameFile(clip.bytes.data(), clip.index, k, framePath))
    return Refuse("cannot write the frame file in '" + temp.path() + "'");

  CImage image(framePath, IMAGE_JPG);
  if (image.GetWidth() == 0 || image.GetHeight() == 0)
    return Refuse("frame " + std::to_string(k) + " does not decode");
  if (!WritePixmapFile(image, argv[3])) return Refuse(std::string("cannot write '") + argv[3] + "'");
  return kExitOk;
}

}  // namespace

const Command kDecodeCommand = {"decode", "FILE K OUT.ppm",
                                "decode frame K as the player shows it and write it as a PPM",
                                RunDecode};
