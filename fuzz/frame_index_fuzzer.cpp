// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Any bytes as a clip: the scan, then every frame written out as the frame
// display and the distill command write it, and what the export and the
// previews learn of each frame without a decoder.
#include <cstring>

#include "container/frame_content.h"
#include "container/frame_file.h"
#include "container/frame_index.h"
#include "fuzz/fuzz_support.h"

namespace {

bool Same(const uint8_t* a, const uint8_t* b, size_t n) { return n == 0 || std::memcmp(a, b, n) == 0; }

void CheckIndex(const FrameIndex& index, uint32_t length) {
  Require(index.frameCount < MAX_FRAME_OFFSETS, "frame count beyond the table");
  for (uint32_t k = 0; k < index.frameCount; ++k) {
    const uint32_t start = index.frameOffsets[k];
    Require(start + 10 < length, "a frame starts in the last ten bytes");
    Require(start < index.frameOffsets[k + 1], "frame offsets do not increase");
  }
  // A full table ends at the first frame start it has no room for.
  const bool full = index.frameCount == MAX_FRAME_OFFSETS - 1;
  const uint32_t end = index.frameOffsets[index.frameCount];
  if (index.hasSound) {
    Require(index.audioStart + 10 < length, "sound track starts in the last ten bytes");
    Require(index.audioEnd == length - 1, "sound track does not run to the end");
    Require(full ? end < index.audioStart : end == index.audioStart,
            "end marker is not the sound track's start");
  } else {
    Require(full ? end < length : end == length, "end marker is not the file length");
  }
  if (index.sharedHeader) {
    Require(index.frameCount >= 2, "shared header with fewer than two frames");
    // The second frame's own pair, two bytes in, ends the search at the latest.
    Require(index.headerLength <= index.frameOffsets[1] + 2, "header reaches into the second frame");
  } else {
    Require(index.headerLength == 0, "header length without the shared-header layout");
  }
}

// The frame file must hold exactly the pieces the index gives.
void CheckFrameFile(const uint8_t* data, const FrameIndex& index, uint32_t k,
                    const std::string& path) {
  Require(WriteFrameFile(data, index, k, path), "frame file not written");
  const std::vector<uint8_t> written = ReadBytes(path);
  Require(written.size() == FrameStreamLength(index, k), "frame file of the wrong length");
  const uint32_t start = index.frameOffsets[k], end = index.frameOffsets[k + 1];
  const uint8_t* out = written.data();
  if (index.sharedHeader && k >= 1) {
    Require(Same(out, data, index.headerLength), "header prefix differs");
    out += index.headerLength;
    Require(Same(out, data + start + 2, end - start - 2), "frame body differs");
  } else {
    Require(Same(out, data + start, end - start), "frame bytes differ");
  }
}

// The walk that resumes after the shared header, walked once, must agree
// with a walk over the frame's whole stream; a repeat is equal bytes.
void CheckFrameContent(const FrameContent& content, const std::vector<uint8_t>& stream,
                       const std::vector<uint8_t>& before, uint32_t k) {
  JpegSegmentWalk whole;
  whole.Feed(stream.data(), stream.size());
  int width = -1, height = -1;
  Require(content.DeclaredSize(k, width, height) == whole.foundScanData(), "scan data differs");
  Require(content.HasScanData(k) == whole.foundScanData(), "scan data differs");
  Require(width == whole.width() && height == whole.height(), "declared size differs");
  if (content.RepeatsPrevious(k)) Require(stream == before, "a repeat differs from the frame before");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FrameIndex index;  // the table is allocated once, as in the player
  static const std::string framePath = ScratchFile("frame.jpg");
  const uint32_t length = uint32_t(size);
  BuildFrameIndex(data, length, index);
  CheckIndex(index, length);
  const FrameContent content(data, index);
  std::vector<uint8_t> before;
  for (uint32_t k = 0; k < index.frameCount; ++k) {
    CheckFrameFile(data, index, k, framePath);
    std::vector<uint8_t> stream = ReadBytes(framePath);
    CheckFrameContent(content, stream, before, k);
    before = std::move(stream);
  }
  Require(!WriteFrameFile(data, index, index.frameCount, framePath), "frame beyond the count written");
  return 0;
}
