// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Any bytes as the GStreamer plugin sees them: the typefinder's look at the
// start (with the length known and unknown, as in pull and push mode), then
// the layout the demuxer plays from, every frame and sound block handed on
// as it hands them on, and the same layout read piece by piece as from a
// file.
#include <cstring>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "demux/clip_layout.h"
#include "demux/clip_sniffer.h"

namespace {

void CheckFrames(const ClipLayout& layout, size_t size) {
  int64_t previous = -1;
  for (uint32_t k = 0; k < layout.frames(); ++k) {
    const FrameStreamSpans frame = layout.Frame(k);
    Require(uint64_t(frame.bodyOffset) + frame.bodyLength <= size, "frame outside the clip");
    Require(frame.headLength <= size, "header outside the clip");
    const int64_t start = layout.FrameStartNs(k);
    Require(start > previous, "frame times do not increase");
    Require(layout.FrameAt(start) == k, "a frame's own start does not find it");
    previous = start;
  }
  Require(layout.DurationNs() > previous, "the clip ends before its last frame");
  int32_t num, den;
  layout.FrameRate(num, den);
  Require(num > 0 && den > 0, "no frame rate");
}

void CheckSound(const ClipLayout& layout) {
  if (layout.soundBlocks() == 0) return;
  uint32_t all;
  const uint32_t first = layout.SoundBlocks(0, layout.soundBlocks(), all);
  Require(uint64_t(first) + all <= layout.trackSize(), "sound outside the track");
  // Buffers of a few blocks each cover the same bytes, one after the other.
  uint32_t next = first;
  for (int64_t b = 0; b < layout.soundBlocks(); b += 10) {
    uint32_t part;
    const uint32_t bytes = layout.SoundBlocks(b, std::min<int64_t>(10, layout.soundBlocks() - b), part);
    Require(bytes == next && part > 0, "sound buffers leave gaps");
    next += part;
  }
  Require(next == first + all, "sound buffers do not add up");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const PeekBytes peek = [&](uint64_t offset, uint32_t n) -> const uint8_t* {
    return offset + n <= size ? data + offset : nullptr;
  };
  const bool known = LooksLikeClip(peek, size);
  Require(known == LooksLikeClip(peek, 0), "the length changes the verdict");

  static ClipLayout layout;  // the frame table is allocated once
  std::string why;
  if (!layout.Read(data, uint32_t(size), why)) {
    Require(!why.empty(), "a refusal without a reason");
    Require(!known, "a clip the typefinder named holds no frame");
    return 0;
  }
  CheckFrames(layout, size);
  CheckSound(layout);

  // Read as the demuxer reads a file: pieces of the smallest size, each
  // copied into a block of its own that the next read frees.
  static ClipLayout pieces;
  std::vector<uint8_t> held;
  const ReadClipBytes read = [&](uint32_t offset, uint32_t n) -> const uint8_t* {
    Require(uint64_t(offset) + n <= size && n <= kMinIndexPiece, "a read outside the clip or the piece");
    held.assign(data + offset, data + offset + n);
    held.shrink_to_fit();
    return held.data();
  };
  Require(pieces.Index(read, uint32_t(size), kMinIndexPiece, why), "read in pieces, the clip is refused");
  Require(pieces.frames() == layout.frames() && pieces.DurationNs() == layout.DurationNs() &&
              pieces.soundBlocks() == layout.soundBlocks() && pieces.sharedHeader() == layout.sharedHeader(),
          "read in pieces, the clip is laid out otherwise");
  for (uint32_t k = 0; k < layout.frames(); ++k) {
    const FrameStreamSpans a = layout.Frame(k), b = pieces.Frame(k);
    Require(a.headLength == b.headLength && a.bodyOffset == b.bodyOffset && a.bodyLength == b.bodyLength,
            "read in pieces, a frame lies elsewhere");
  }
  return 0;
}
