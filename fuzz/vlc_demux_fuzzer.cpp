// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Any bytes as the VLC module sees them: the claim (under a clip's name, a
// picture's name and forced), the open through 256 KiB reads, then every
// unit handed out in time order, with seeks by time in between.
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "vlc/clip_demuxer.h"

namespace {

void Walk(ClipDemuxer& clip, size_t size) {
  int64_t lastFrame = -1, lastSound = -1;
  uint64_t units = 0;
  const uint64_t most = uint64_t(clip.layout().frames()) + uint64_t(clip.layout().soundBlocks());
  for (ClipUnit unit = clip.Next(); unit.kind != ClipUnit::kNone; unit = clip.Next()) {
    Require(++units <= most, "more units than frames and sound blocks");
    Require(uint64_t(unit.offset) + unit.size <= size && unit.headLength <= size, "a unit outside the clip");
    Require(unit.startUs >= 0 && unit.lengthUs >= 0 && unit.startUs <= clip.LengthUs(), "a unit out of time");
    int64_t& last = unit.kind == ClipUnit::kFrame ? lastFrame : lastSound;
    Require(unit.startUs >= last, "a stream's times go back");
    last = unit.startUs;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const PeekBytes peek = [&](uint64_t offset, uint32_t n) -> const uint8_t* {
    return offset + n <= size ? data + offset : nullptr;
  };
  PictureFitsDecoder(data, size);
  const bool asClip = ClaimStream(peek, size, {"/x/a.zrv", false});
  const bool asPicture = ClaimStream(peek, size, {"/x/a.jpg", false});
  const bool forced = ClaimStream(peek, size, {"/x/a.mjpg", true});
  Require(!asPicture || (asClip && forced), "a name hint took a claim away");
  if (!forced) return 0;

  std::vector<uint8_t> held;
  const ReadClipBytes read = [&](uint32_t offset, uint32_t n) -> const uint8_t* {
    if (uint64_t(offset) + n > size) return nullptr;
    held.assign(data + offset, data + offset + n);
    return held.data();
  };
  ClipDemuxer clip;
  std::string why;
  if (!clip.Open(read, size, why)) {
    Require(!why.empty(), "a refusal without a reason");
    return 0;
  }
  Walk(clip, size);
  // From the middle, past the end and back to the start.
  for (const int64_t us : {clip.LengthUs() / 2, clip.LengthUs() + 1, int64_t(-5)}) {
    clip.Seek(us);
    Require(clip.TimeUs() >= 0 && clip.TimeUs() <= clip.LengthUs(), "a seek lands outside the clip");
    Walk(clip, size);
  }
  return 0;
}
