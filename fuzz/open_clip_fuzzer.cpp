// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Any bytes as a clip, opened the way `zrvtool info`, `decode` and `sound`
// open it (read whole, index, cut out and convert the sound track, decode a
// frame), and frame 0 drawn into the picture area as the player shows it.
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "audio/wav_writer.h"
#include "container/file_block.h"
#include "container/frame_file.h"
#include "container/frame_index.h"
#include "fuzz/fuzz_support.h"
#include "image/jpeg_rgb.h"
#include "image/software_dc.h"
#include "player/frame_draw.h"
#include "tools/cli/commands.h"

namespace {

// Runs a zrvtool command in this process, its standard output going to
// `outPath` (or nowhere when empty).
int RunCommand(const Command& command, std::vector<std::string> args, const std::string& outPath) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::fflush(stdout);
  const int saved = ::dup(1);
  const int out = ::open(outPath.empty() ? "/dev/null" : outPath.c_str(),
                         O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  Require(saved >= 0 && out >= 0, "cannot redirect standard output");
  ::dup2(out, 1);
  ::close(out);
  const int status = command.run(int(args.size()), argv.data());
  std::fflush(stdout);
  ::dup2(saved, 1);
  ::close(saved);
  Require(status == kExitOk || status == kExitRefused, "a command took its input for a usage error");
  return status;
}

std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

void CheckJson(const std::string& json, const FrameIndex& index) {
  const std::string head = "{\"frames\":" + std::to_string(index.frameCount) + ",";
  Require(json.compare(0, head.size(), head) == 0, "info --json gives another frame count");
  Require(json.size() >= 2 && json.compare(json.size() - 2, 2, "}\n") == 0, "info --json unfinished");
  const std::string sound = index.hasSound ? "\"sound\":true" : "\"sound\":false";
  Require(json.find(sound) != std::string::npos, "info --json gives another sound flag");
}

// A P6 picture whose size matches its header.
void CheckPixmap(const std::vector<uint8_t>& ppm) {
  int width = 0, height = 0;
  const std::string text = Text(ppm);
  Require(std::sscanf(text.c_str(), "P6\n%d %d\n", &width, &height) == 2, "decode wrote no P6 header");
  Require(width > 0 && height > 0, "decode wrote an empty picture");
  const std::string head = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  Require(text.compare(0, head.size(), head) == 0, "decode wrote another header");
  Require(ppm.size() == head.size() + size_t(width) * size_t(height) * 3,
          "decode wrote a picture of another size than its header");
}

void CheckWav(const std::vector<uint8_t>& wav) {
  Require(wav.size() >= WAV_HEADER_BYTES, "sound wrote less than a WAV header");
  const uint32_t dataSize = WavHeaderField32(wav.data(), WAV_DATA_SIZE);
  Require(wav.size() == WAV_HEADER_BYTES + uint64_t(dataSize), "sound wrote a WAV of another size");
  Require(WavHeaderField32(wav.data(), WAV_RIFF_SIZE) == 36 + uint64_t(dataSize), "wrong RIFF size");
}

// Decodes frame k with `zrvtool decode`; true when it gave a picture.
bool Decode(const std::string& clipPath, uint32_t k, const std::string& ppmPath) {
  ::unlink(ppmPath.c_str());
  if (RunCommand(kDecodeCommand, {"decode", clipPath, std::to_string(k), ppmPath}, "") != kExitOk)
    return false;
  CheckPixmap(ReadBytes(ppmPath));
  return true;
}

constexpr uint64_t kLargeFramePixels = 1 << 22;

// The area that frame k's header declares (0 when it has no readable one).
uint64_t DeclaredPixels(const uint8_t* data, const FrameIndex& index, uint32_t k) {
  const FrameStreamPieces pieces = FrameStreamOf(data, index, k);
  std::vector<uint8_t> stream(pieces.head, pieces.head + pieces.headLength);
  stream.insert(stream.end(), pieces.body, pieces.body + pieces.bodyLength);
  int width = 0, height = 0;
  if (!ReadJpegSize(stream.data(), stream.size(), width, height)) return 0;
  return uint64_t(width) * uint64_t(height);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string clipPath = ScratchFile("clip.zrv");
  static const std::string jsonPath = ScratchFile("info.json");
  static const std::string ppmPath = ScratchFile("frame.ppm");
  static const std::string wavPath = ScratchFile("sound.wav");
  static const std::string framePath = ScratchFile("zrvplayer_tmp.jpg");
  static FrameIndex index;
  WriteBytes(clipPath, data, size);
  BuildFrameIndex(data, uint32_t(size), index);
  const bool loaded = index.frameCount > 0;

  const int info = RunCommand(kInfoCommand, {"info", "--json", clipPath}, jsonPath);
  Require((info == kExitOk) == loaded, "info refuses a clip with frames, or takes one without");
  if (loaded) CheckJson(Text(ReadBytes(jsonPath)), index);

  // A frame that declares more than a few megapixels is only drawn, once, as
  // the player draws it; writing it out as a PPM takes the instrumented build
  // many seconds.
  const bool large = loaded && DeclaredPixels(data, index, 0) > kLargeFramePixels;
  const bool first = large ? true : Decode(clipPath, 0, ppmPath);
  Require(loaded || !first, "decode gave a frame of a clip without frames");
  if (index.frameCount > 1 && !large) Decode(clipPath, index.frameCount - 1, ppmPath);
  Require(!Decode(clipPath, index.frameCount, ppmPath), "decode gave a frame beyond the last");

  ::unlink(wavPath.c_str());
  const int sound = RunCommand(kSoundCommand, {"sound", clipPath, wavPath}, "");
  Require(sound == kExitRefused || (loaded && index.hasSound), "sound converted a clip without sound");
  if (sound == kExitOk) CheckWav(ReadBytes(wavPath));
  else Require(!Exists(wavPath), "a refused sound track left a WAV file");

  if (!loaded) return 0;
  // Frame 0 in the picture area, in every zoom, as the open flow shows it.
  CSoftwareDC area(348, 216);
  for (int zoom = 0; zoom < (large ? 1 : 3); ++zoom) {
    const FrameDrawResult drawn = DrawFrame(data, index, 0, framePath, area, zoom);
    Require(drawn != FrameDrawResult::notWritten, "the frame file cannot be written");
    if (!large) Require((drawn == FrameDrawResult::drawn) == first, "decode and the frame display disagree");
  }
  return 0;
}
