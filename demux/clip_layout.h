// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// A clip laid out for a demuxer: its frames as standalone JPEG streams,
// their times, the blocks of its sound track and the size of its pictures,
// all as places in the clip, so that the clip need not be held in memory.
// The frames are found by the player's scan and timed by the export's rule,
// so every program shows a clip alike.
#pragma once

#include <cstdint>
#include <string>

#include "audio/amr_track.h"
#include "container/frame_file.h"
#include "container/frame_index.h"
#include "container/frame_timing.h"

inline constexpr int64_t kNanosecondsPerSecond = 1000000000;
// Every AMR block lasts 20 ms, in either band.
inline constexpr int64_t kSoundBlockNs = 20000000;

class ClipLayout {
 public:
  // Indexes the `length` bytes at `bytes`, which must stay in place while
  // the layout is made. False, with a reason in `why`, when they hold no frame.
  bool Read(const uint8_t* bytes, uint32_t length, std::string& why);
  // The same for a clip that is not held in memory: it is read through
  // `read` in pieces of at most `piece` bytes, the frames front to back,
  // then the first frames' headers for the picture size (looked for in a
  // frame's first piece), then the sound track front to back. False with a
  // reason when the bytes hold no frame or a read fails.
  bool Index(const ReadClipBytes& read, uint32_t length, uint32_t piece, std::string& why);
  // False, with a reason, when the frames handed on whole (the shared header
  // in front of each) would come to more than the export allows a clip of
  // this size to make.
  bool FramesWithinBound(std::string& why) const;
  // The track claims more sound than a clip of this size carries (the
  // player's and the export's rule): it is left out, as the player leaves it.
  bool soundBeyondClip() const { return m_soundBeyondClip; }
  // Where the sound track lies in the clip; trackSize() 0 without one.
  uint32_t trackOffset() const { return m_index.hasSound ? m_index.audioStart : 0; }
  uint32_t trackSize() const { return m_index.hasSound ? m_length - m_index.audioStart : 0; }

  uint32_t frames() const { return m_index.frameCount; }
  // Where the last frame ends.
  uint32_t framesEnd() const { return m_index.frameOffsets[m_index.frameCount]; }
  // Frame k's stream as one or two spans of the clip (the shared header in front).
  FrameStreamSpans Frame(uint32_t k) const { return FrameStreamSpansOf(m_index, k); }
  bool sharedHeader() const { return m_index.sharedHeader; }
  // Where frame k starts, in nanoseconds; k == frames() is the clip's end.
  int64_t FrameStartNs(uint32_t k) const { return m_timing.FrameStart(k, kNanosecondsPerSecond); }
  int64_t DurationNs() const { return FrameStartNs(frames()); }
  // The frame on show at `ns`: the last one starting at or before it.
  uint32_t FrameAt(int64_t ns) const;
  // The frame rate n / L in lowest terms, as fits in 31 bits.
  void FrameRate(int32_t& numerator, int32_t& denominator) const;
  // The picture size of the first frame that declares one; 0 x 0 when none does.
  uint32_t width() const { return m_width; }
  uint32_t height() const { return m_height; }

  // The clip has a track that sets its timing.
  bool timedBySound() const { return m_timing.withSound(); }
  // The track can go to a decoder: it sets the timing and is one channel.
  bool soundPlayable() const { return timedBySound() && m_track.channels == 1; }
  bool wideBand() const { return m_track.sampleRate == 16000; }
  int sampleRate() const { return m_track.sampleRate; }
  int64_t soundBlocks() const { return m_track.blocks(); }
  // True when block b carries no speech data: frame-type bytes alone.
  bool SoundBlockEmpty(int64_t b) const {
    return m_track.blockStarts[size_t(b) + 1] - m_track.blockStarts[size_t(b)] == uint32_t(m_track.channels);
  }
  // Where blocks [first, first + count) lie in the track: the offset from
  // the track's start, and their size in `size`.
  uint32_t SoundBlocks(int64_t first, int64_t count, uint32_t& size) const;

 private:
  uint32_t m_length = 0;
  FrameIndex m_index;
  AmrTrackLayout m_track;
  ExportTiming m_timing;
  uint32_t m_width = 0, m_height = 0;
  bool m_soundBeyondClip = false;
};
