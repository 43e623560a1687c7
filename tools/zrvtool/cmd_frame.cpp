// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvtool frame: one frame of a clip as a standalone JPEG file.
#include <string>

#include "container/frame_file.h"
#include "tools/cli/commands.h"

namespace {

int RunFrame(int argc, char** argv) {
  if (argc != 4) return UsageError(kFrameCommand, "expected FILE K OUT");
  uint32_t k = 0;
  if (!ParseUint32(argv[2], k)) return UsageError(kFrameCommand, "K must be a frame number");

  LoadedClip clip;
  if (!LoadClip(argv[1], clip)) return kExitRefused;
  if (k >= clip.index.frameCount)
    return Refuse("frame " + std::to_string(k) + " is out of range (the clip has " +
                  std::to_string(clip.index.frameCount) + " frames)");
  if (!WriteFrameFile(clip.bytes.data(), clip.index, k, argv[3]))
    return Refuse(std::string("cannot write '") + argv[3] + "'");
  return kExitOk;
}

}  // namespace

const Command kFrameCommand = {
    "frame", "FILE K OUT", "write frame K (counted from 0) as a standalone JPEG file", RunFrame};
