// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvtool thumbnail: the preview a file manager shows for a clip, a frame
// worth looking at in full colour, scaled to the size asked for, as PNG.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/cli/commands.h"
#include "tools/clip_maker/output_path.h"
#include "image/clip_preview.h"
#include "image/png_bytes.h"

namespace {

constexpr uint32_t kDefaultSize = 256;
constexpr uint32_t kMaxSize = 4096;

// Written in place, into the file the path names: a thumbnail service such
// as tumbler makes the output file, keeps it open and reads the picture
// through that descriptor, which a new file renamed over the path would
// leave empty.
bool WriteInPlace(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

int RunThumbnail(int argc, char** argv) {
  uint32_t size = kDefaultSize;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-s" || arg == "--size") {
      if (i + 1 == argc) return UsageError(kThumbnailCommand, arg + " needs a value");
      if (!ParseUint32(argv[++i], size) || size == 0 || size > kMaxSize)
        return UsageError(kThumbnailCommand,
                          "-s takes a size from 1 to " + std::to_string(kMaxSize));
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError(kThumbnailCommand, "unknown option " + arg);
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) return UsageError(kThumbnailCommand, "expected CLIP OUT.png");
  const std::string& clipPath = positional[0];
  const std::string& outPath = positional[1];

  LoadedClip clip;
  if (!LoadClip(clipPath, clip)) return kExitRefused;
  if (SameFile(clipPath, outPath))
    return Refuse("'" + outPath + "' is the clip itself; it would be overwritten");
  RgbPicture preview(0, 0);
  if (!MakeClipPreview(clip, int(size), preview))
    return Refuse("no frame of '" + clipPath + "' decodes");
  std::vector<uint8_t> png;
  if (!EncodePng(preview, png)) return Refuse("cannot encode the picture as PNG");
  if (!WriteInPlace(outPath, png)) return Refuse("cannot write '" + outPath + "'");
  return kExitOk;
}

}  // namespace

const Command kThumbnailCommand = {
    "thumbnail", "[-s SIZE] CLIP OUT.png",
    "write a preview of the clip as PNG: a frame that is not blank, in full colour, "
    "fitted into SIZE x SIZE (256)",
    RunThumbnail};
