// zrvtool thumbnail: the preview a file manager shows for a clip, a frame
// worth looking at in full colour, scaled to the size asked for, as PNG.
#include <cstdio>
#include <string>
#include <vector>

#include "container/frame_file.h"
#include "image/jpeg_rgb.h"
#include "tools/zrvtool/commands.h"
#include "tools/zrvtool/output_path.h"
#include "container/pending_file.h"
#include "tools/zrvtool/png_bytes.h"
#include "tools/zrvtool/thumbnail_picture.h"

namespace {

constexpr uint32_t kDefaultSize = 256;
constexpr uint32_t kMaxSize = 4096;
// How far into the clip a frame that is not blank is looked for: a second
// at the usual 8 frames a second.
constexpr uint32_t kFramesLookedAt = 8;

// Frame k's standalone JPEG stream in one piece, the header put in front of
// a later frame of a shared-header clip.
void FrameStream(const LoadedClip& clip, uint32_t k, std::vector<uint8_t>& stream) {
  const FrameStreamPieces pieces = FrameStreamOf(clip.bytes.data(), clip.index, k);
  stream.assign(pieces.head, pieces.head + pieces.headLength);
  stream.insert(stream.end(), pieces.body, pieces.body + pieces.bodyLength);
}

// The first frame that decodes and is not blank among the first few; when
// every one of those is blank, the first of them. False when no frame of the
// clip decodes.
bool ChooseFrame(const LoadedClip& clip, RgbPicture& chosen) {
  std::vector<uint8_t> stream;
  RgbPicture frame(0, 0);
  bool haveOne = false;
  for (uint32_t k = 0; k < clip.index.frameCount; ++k) {
    if (haveOne && k >= kFramesLookedAt) break;
    FrameStream(clip, k, stream);
    if (!DecodeJpegRgb(stream.data(), stream.size(), frame)) continue;
    if (!LooksBlank(frame)) {
      chosen = std::move(frame);
      return true;
    }
    if (!haveOne) {
      chosen = frame;
      haveOne = true;
    }
  }
  return haveOne;
}

bool WriteWhole(const std::string& path, const std::vector<uint8_t>& bytes) {
  if (!ReplaceableFile(path)) {  // a device or a pipe: written in place
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
  }
  PendingFile pending(path);
  return pending.opened() && pending.Write(bytes.data(), bytes.size()) && pending.Close() &&
         pending.Publish();
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
  RgbPicture frame(0, 0);
  if (!ChooseFrame(clip, frame)) return Refuse("no frame of '" + clipPath + "' decodes");

  int width = 0, height = 0;
  FitSize(frame.width, frame.height, int(size), width, height);
  std::vector<uint8_t> png;
  if (!EncodePng(Resample(frame, width, height), png))
    return Refuse("cannot encode the picture as PNG");
  if (!WriteWhole(outPath, png)) return Refuse("cannot write '" + outPath + "'");
  return kExitOk;
}

}  // namespace

const Command kThumbnailCommand = {
    "thumbnail", "[-s SIZE] CLIP OUT.png",
    "write a preview of the clip as PNG: a frame that is not blank, in full colour, "
    "fitted into SIZE x SIZE (256)",
    RunThumbnail};
