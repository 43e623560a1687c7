// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/clip_preview.h"

#include <vector>

#include "container/frame_content.h"
#include "container/frame_file.h"
#include "image/jpeg_rgb.h"
#include "image/thumbnail_picture.h"

namespace {

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

}  // namespace

bool ChooseClipPreviewFrame(const LoadedClip& clip, RgbPicture& chosen) {
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

bool MakeClipPreview(const LoadedClip& clip, int size, RgbPicture& preview) {
  RgbPicture frame(0, 0);
  if (!ChooseClipPreviewFrame(clip, frame)) return false;
  int width = 0, height = 0;
  FitSize(frame.width, frame.height, size, width, height);
  preview = Resample(frame, width, height);
  return true;
}
