// zrvtool thumbnail: the preview a file manager shows for a clip, a frame
// worth looking at in full colour, scaled to the size asked for, as PNG.
#include <cstdio>
#include <string>
#include <vector>

#include "container/frame_content.h"
#include "container/frame_file.h"
#include "image/jpeg_rgb.h"
#include "tools/zrvtool/commands.h"
#include "tools/zrvtool/output_path.h"
#include "image/png_bytes.h"
#include "image/thumbnail_picture.h"

namespace {

constexpr uint32_t kDefaultSize = 256;
constexpr uint32_t kMaxSize = 4096;
// Frames are handed to the decoder until their streams together reach this
// many bytes: a small clip whose thousands of frames each borrow a large
// shared header would otherwise cost minutes before the preview gives up.
constexpr uint64_t kMaxBytesDecoded = 64u << 20;

// Frame k's standalone JPEG stream in one piece, the header put in front of
// a later frame of a shared-header clip.
void FrameStream(const LoadedClip& clip, uint32_t k, std::vector<uint8_t>& stream) {
  const FrameStreamPieces pieces = FrameStreamOf(clip.bytes.data(), clip.index, k);
  stream.assign(pieces.head, pieces.head + pieces.headLength);
  stream.insert(stream.end(), pieces.body, pieces.body + pieces.bodyLength);
}

bool ChooseFrame(const LoadedClip& clip, RgbPicture& chosen) {
  const FrameContent content(clip.bytes.data(), clip.index);
  std::vector<uint8_t> stream;
  uint64_t bytesDecoded = 0;
  return ChoosePreviewFrame(clip.index.frameCount, [&](uint32_t k, RgbPicture& frame) {
    // Frames without picture data, and repeats of a frame that did not
    // decode, are passed over without a decoder.
    if (!content.HasScanData(k) || content.RepeatsPrevious(k)) return PreviewFrame::damaged;
    if (bytesDecoded > kMaxBytesDecoded) return PreviewFrame::giveUp;
    FrameStream(clip, k, stream);
    bytesDecoded += stream.size();
    return DecodeJpegRgb(stream.data(), stream.size(), frame) ? PreviewFrame::decoded
                                                              : PreviewFrame::damaged;
  }, chosen);
}

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
  RgbPicture frame(0, 0);
  if (!ChooseFrame(clip, frame)) return Refuse("no frame of '" + clipPath + "' decodes");

  int width = 0, height = 0;
  FitSize(frame.width, frame.height, int(size), width, height);
  std::vector<uint8_t> png;
  if (!EncodePng(Resample(frame, width, height), png))
    return Refuse("cannot encode the picture as PNG");
  if (!WriteInPlace(outPath, png)) return Refuse("cannot write '" + outPath + "'");
  return kExitOk;
}

}  // namespace

const Command kThumbnailCommand = {
    "thumbnail", "[-s SIZE] CLIP OUT.png",
    "write a preview of the clip as PNG: a frame that is not blank, in full colour, "
    "fitted into SIZE x SIZE (256)",
    RunThumbnail};
