// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvtool info: what the scan finds in a clip.
#include <cstdio>
#include <cstring>
#include <string>

#include "text/terminal_text.h"
#include "audio/frame_interval.h"
#include "tools/cli/clip_sound.h"
#include "tools/cli/commands.h"

namespace {

// The frame interval at normal speed, as the player would set it.
uint32_t NormalInterval(const FrameIndex& index, uint32_t soundMs) {
  return FrameInterval(index.hasSound, soundMs, index.frameCount, speedNormal);
}

void PrintJson(const FrameIndex& index, uint32_t soundMs) {
  std::string out;
  out.reserve(64 + size_t(index.frameCount) * 11);
  out += "{\"frames\":" + std::to_string(index.frameCount);
  out += ",\"layout\":\"";
  out += index.sharedHeader ? "shared-header" : "plain";
  out += "\",\"header_length\":" + std::to_string(index.sharedHeader ? index.headerLength : 0);
  out += ",\"sound\":";
  out += index.hasSound ? "true" : "false";
  out += ",\"audio_start\":" + (index.hasSound ? std::to_string(index.audioStart) : "null");
  out += ",\"audio_end\":" + (index.hasSound ? std::to_string(index.audioEnd) : "null");
  out += ",\"frame_offsets\":[";
  for (uint32_t k = 0; k <= index.frameCount; ++k) {
    if (k) out += ',';
    out += std::to_string(index.frameOffsets[k]);
  }
  out += "],\"sound_ms\":";
  out += soundMs == kUnknownSoundLength ? "null" : std::to_string(soundMs);
  out += ",\"interval_ms\":" + std::to_string(NormalInterval(index, soundMs)) + "}\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
}

void PrintSummary(const std::string& path, const LoadedClip& clip, uint32_t soundMs) {
  const FrameIndex& index = clip.index;
  std::printf("file:    %s (%zu bytes)\n", TerminalText(path).c_str(), clip.bytes.size());
  std::printf("frames:  %u\n", index.frameCount);
  if (index.sharedHeader)
    std::printf("layout:  shared header (%u bytes)\n", index.headerLength);
  else
    std::printf("layout:  plain\n");
  if (index.hasSound)
    std::printf("sound:   AMR track, bytes %u to %u (%u bytes)\n", index.audioStart,
                index.audioEnd, index.audioEnd - index.audioStart + 1);
  else
    std::printf("sound:   none\n");
  if (soundMs != kUnknownSoundLength)
    std::printf("length:  %u ms of sound\n", soundMs);
  else if (index.hasSound)
    std::printf("length:  unknown (the track cannot be converted)\n");
  std::printf("interval: %u ms a frame at normal speed\n", NormalInterval(index, soundMs));
}

int RunInfo(int argc, char** argv) {
  bool json = false;
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--json") == 0)
      json = true;
    else if (argv[i][0] == '-' && argv[i][1] != '\0')
      return UsageError(kInfoCommand, std::string("unknown option ") + argv[i]);
    else if (path)
      return UsageError(kInfoCommand, "expected one FILE");
    else
      path = argv[i];
  }
  if (!path) return UsageError(kInfoCommand, "expected FILE");

  LoadedClip clip;
  if (!LoadClip(path, clip)) return kExitRefused;
  const uint32_t soundMs = ClipSoundLengthMs(clip);
  if (json)
    PrintJson(clip.index, soundMs);
  else
    PrintSummary(path, clip, soundMs);
  return kExitOk;
}

}  // namespace

const Command kInfoCommand = {"info", "[--json] FILE",
                              "show the frames, layout and sound track that a clip holds",
                              RunInfo};
