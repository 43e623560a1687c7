// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "demux/clip_layout.h"

#include <algorithm>
#include <numeric>

#include "container/clip_file.h"
#include "demux/clip_sniffer.h"

namespace {

// Frames looked at for a picture size when the first declares none.
constexpr uint32_t kSizeProbeFrames = 8;

// The picture size in the JPEG header at the start of `bytes`.
bool PictureSize(const uint8_t* bytes, uint32_t size, uint32_t& width, uint32_t& height) {
  const PeekBytes peek = [&](uint64_t offset, uint32_t n) -> const uint8_t* {
    return offset + n <= size ? bytes + offset : nullptr;
  };
  const JpegStart start = ReadJpegStart(peek, 0, size);
  if (start.width == 0 || start.height == 0) return false;
  width = start.width;
  height = start.height;
  return true;
}

}  // namespace

bool ClipLayout::Read(const uint8_t* bytes, uint32_t length, std::string& why) {
  const ReadClipBytes inMemory = [bytes](uint32_t offset, uint32_t) { return bytes + offset; };
  return Index(inMemory, length, length, why);
}

bool ClipLayout::Index(const ReadClipBytes& read, uint32_t length, uint32_t piece, std::string& why) {
  m_length = length;
  m_track = AmrTrackLayout();
  m_soundBeyondClip = false;
  if (!BuildFrameIndexInPieces(read, length, piece, m_index)) {
    m_index.frameCount = 0;
    why = "the clip could not be read whole";
    return false;
  }
  if (m_index.frameCount == 0) {
    why = m_index.hasSound ? "the clip's sound track comes before any picture"
                           : "no JPEG picture in the data: not a ZRV clip";
    return false;
  }
  // Only a frame's header part matters, the shared header when there is
  // one, and it lies in the frame's first piece.
  m_width = m_height = 0;
  for (uint32_t k = 0; k < m_index.frameCount && k < kSizeProbeFrames; ++k) {
    const FrameStreamSpans frame = Frame(k);
    const uint32_t offset = frame.headLength ? 0 : frame.bodyOffset;
    const uint32_t size = std::min(frame.headLength ? frame.headLength : frame.bodyLength, piece);
    const uint8_t* bytes = read(offset, size);
    if (bytes && PictureSize(bytes, size, m_width, m_height)) break;
  }
  if (m_index.hasSound) {
    const ReadTrackBytes readTrack = [&](size_t offset, size_t size) {
      return read(m_index.audioStart + uint32_t(offset), uint32_t(size));
    };
    // The scan stops past the longest sound the clip may carry, so that
    // hours of one-byte blocks never fill a table.
    const auto maxBlocks = int64_t(LongestSoundMs(length) / double(kSoundBlockNs / 1000000));
    if (!ScanAmrTrackInPieces(readTrack, trackSize(), piece, m_track, maxBlocks)) {
      m_index.frameCount = 0;
      why = "the clip could not be read whole";
      return false;
    }
    m_soundBeyondClip = m_track.blocks() > maxBlocks;
    if (m_soundBeyondClip) m_track = AmrTrackLayout();
  }
  // As the player does, a track of no known kind counts as no sound.
  m_timing = MakeExportTiming(m_index.frameCount, m_track.known() ? m_track.samples() : -1,
                              m_track.sampleRate);
  return true;
}

bool ClipLayout::FramesWithinBound(std::string& why) const {
  // Plain frames are parts of the clip: together no larger than it.
  if (!sharedHeader()) return true;
  const uint64_t limit = LargestFramesBytes(m_length);
  uint64_t total = 0;
  for (uint32_t k = 0; k < frames() && total <= limit; ++k) total += Frame(k).length();
  if (total <= limit) return true;
  why = "its frames, each given the shared header of " + std::to_string(m_index.headerLength) +
        " bytes, would come to more than " + std::to_string(limit / 1000000) + " MB";
  return false;
}

uint32_t ClipLayout::FrameAt(int64_t ns) const {
  uint32_t low = 0, high = frames();  // the answer lies in [low, high)
  while (high - low > 1) {
    const uint32_t mid = low + (high - low) / 2;
    if (FrameStartNs(mid) <= ns)
      low = mid;
    else
      high = mid;
  }
  return low;
}

void ClipLayout::FrameRate(int32_t& numerator, int32_t& denominator) const {
  uint64_t n, d;
  m_timing.Fps(n, d);
  // Keep the ratio while the terms do not fit: halving both loses only
  // precision the frame times themselves do not use.
  while (n > INT32_MAX || d > INT32_MAX) {
    n = (n + 1) / 2;
    d = (d + 1) / 2;
  }
  const uint64_t divisor = std::gcd(n, d);
  numerator = int32_t(n / (divisor ? divisor : 1));
  denominator = int32_t(d / (divisor ? divisor : 1));
  if (denominator == 0) denominator = 1;
}

uint32_t ClipLayout::SoundBlocks(int64_t first, int64_t count, uint32_t& size) const {
  const uint32_t start = m_track.blockStarts[size_t(first)];
  size = m_track.blockStarts[size_t(first + count)] - start;
  return start;
}
