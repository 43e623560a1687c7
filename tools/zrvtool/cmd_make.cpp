// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvtool make: writes a ZRV clip from synthetic or given JPEG frames and an
// optional AMR-NB sound track.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "container/clip_writer.h"
#include "tools/cli/commands.h"
#include "tools/clip_maker/make_frames.h"
#include "tools/clip_maker/make_request.h"
#include "tools/clip_maker/make_sound.h"
#include "tools/clip_maker/output_path.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kMaxFrames = MAX_FRAME_OFFSETS - 1;  // one entry is the end marker
constexpr uint32_t kMinSide = 16, kMaxSide = 4096;
constexpr uint32_t kMaxFps = 1000;

bool ParseRange(const std::string& text, uint32_t low, uint32_t high, uint32_t& value) {
  return ParseUint32(text, value) && value >= low && value <= high;
}

bool ParseSize(const std::string& text, uint32_t& width, uint32_t& height) {
  const size_t x = text.find('x');
  return x != std::string::npos &&
         ParseRange(text.substr(0, x), kMinSide, kMaxSide, width) &&
         ParseRange(text.substr(x + 1), kMinSide, kMaxSide, height);
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() > tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Fills `request` from the command line; returns kExitOk or a usage error.
int ParseRequest(int argc, char** argv, MakeRequest& request) {
  bool syntheticOption = false;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool takesValue = arg == "--frames" || arg == "--size" || arg == "--fps" ||
                            arg == "--quality" || arg == "--layout" || arg == "--sound";
    if (takesValue && i + 1 == argc) return UsageError(kMakeCommand, arg + " needs a value");
    const std::string value = takesValue ? argv[++i] : "";
    if (arg == "--frames") {
      if (!ParseRange(value, 1, kMaxFrames, request.frames))
        return UsageError(kMakeCommand, "--frames takes 1 to " + std::to_string(kMaxFrames));
      syntheticOption = true;
    } else if (arg == "--size") {
      if (!ParseSize(value, request.width, request.height))
        return UsageError(kMakeCommand, "--size takes WxH, each from 16 to 4096");
      syntheticOption = true;
    } else if (arg == "--fps") {
      if (!ParseRange(value, 1, kMaxFps, request.fps))
        return UsageError(kMakeCommand, "--fps takes 1 to 1000");
    } else if (arg == "--quality") {
      if (!ParseRange(value, 1, 100, request.quality))
        return UsageError(kMakeCommand, "--quality takes 1 to 100");
      syntheticOption = true;
    } else if (arg == "--layout") {
      if (value != "plain" && value != "shared-header")
        return UsageError(kMakeCommand, "--layout takes plain or shared-header");
      request.sharedHeader = value == "shared-header";
    } else if (arg == "--sound") {
      if (value.empty()) return UsageError(kMakeCommand, "--sound takes none, tone or a FILE");
      request.sound = value;
    } else if (arg == "--grey") {
      request.grey = syntheticOption = true;
    } else if (arg == "--jpegs") {
      request.fromJpegs = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError(kMakeCommand, "unknown option " + arg);
    } else {
      (request.fromJpegs ? request.jpegs : positional).push_back(arg);
    }
  }
  // OUT is the one argument outside the list of --jpegs, or else its last.
  if (positional.size() > 1) return UsageError(kMakeCommand, "expected one OUT.zrv");
  if (positional.empty() && !request.jpegs.empty()) {
    positional.push_back(request.jpegs.back());
    request.jpegs.pop_back();
  }
  if (positional.empty()) return UsageError(kMakeCommand, "expected OUT.zrv");
  request.out = positional.front();
  // Also keeps a forgotten OUT from making the last picture the output.
  if (!EndsWith(request.out, ".zrv") && !EndsWith(request.out, ".gzrv"))
    return UsageError(kMakeCommand, "OUT must name a .zrv or .gzrv file");
  if (request.fromJpegs && request.jpegs.empty())
    return UsageError(kMakeCommand, "--jpegs needs at least one JPEG file");
  if (request.fromJpegs && syntheticOption)
    return UsageError(kMakeCommand,
                      "--frames, --size, --quality and --grey describe synthetic frames, not --jpegs");
  if (request.sharedHeader && request.FrameCount() < 2)
    return UsageError(kMakeCommand, "the shared-header layout needs at least two frames");
  return kExitOk;
}

// Writes the frames in the asked layout, then the track, and reads the clip
// back as a player will.
bool WriteClip(const MakeRequest& request, FrameSource& source, const Bytes& track,
               ClipWriter& clip, std::string& why) {
  const FrameNamer name = [&source](uint32_t k) { return source.Name(k); };
  Bytes jpeg;
  for (uint32_t k = 0; k < request.FrameCount(); ++k) {
    if (!source.Get(k, jpeg, why) || !clip.AddFrame(jpeg.data(), jpeg.size(), name, why))
      return false;
  }
  if (clip.Finish(track, name, why)) return true;
  if (why.rfind("cannot write", 0) != 0) why = "cannot make the clip: " + why;
  return false;
}

int RunMake(int argc, char** argv) {
  MakeRequest request;
  if (int status = ParseRequest(argc, argv, request); status != kExitOk) return status;
  for (const std::string& input : request.jpegs)
    if (SameFile(input, request.out)) return Refuse("'" + request.out + "' is one of the inputs");
  if (SameFile(request.sound, request.out)) return Refuse("'" + request.out + "' is the sound input");

  Bytes track;
  std::string why;
  if (!BuildSoundTrack(request, track, why)) return Refuse(why);

  ClipWriter clip;
  if (!clip.Create(request.out, request.sharedHeader ? ClipLayout::sharedHeader : ClipLayout::plain,
                   true, why))
    return Refuse(why);
  FrameSource source(request);
  if (!WriteClip(request, source, track, clip, why)) return Refuse(why);
  if (!clip.Publish(why)) return Refuse(why);
  return kExitOk;
}

}  // namespace

const Command kMakeCommand = {
    "make",
    "[--frames N] [--size WxH] [--fps F] [--grey] [--quality Q] [--layout plain|shared-header] "
    "[--sound none|tone|FILE] [--jpegs A.jpg B.jpg ...] OUT.zrv",
    "write a clip of synthetic frames (or given JPEG files) and an optional AMR sound track",
    RunMake};
