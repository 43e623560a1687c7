// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The VLC module's view of a clip, without VLC: whether to claim a stream,
// and the clip's frames and sound blocks handed out one by one in time
// order, from wherever a seek puts them. The glue in module.cpp only moves
// bytes and calls VLC.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "demux/clip_layout.h"
#include "demux/clip_sniffer.h"

inline constexpr int64_t kMicrosecondsPerSecond = 1000000;

// What the stream is known by: its path (or location) and whether the user
// named this demuxer.
struct StreamHints {
  std::string_view path;
  bool forced = false;
};

// True when the module should take the stream: a clip by the typefinder's
// rule, or a JPEG stream in a file named .zrv or .gzrv (a one-frame clip or
// a damaged one). Files named as motion JPEG or multi-picture files stay
// with VLC's own demuxers unless this one is forced.
bool ClaimStream(const PeekBytes& peek, uint64_t length, const StreamHints& hints);

// Pictures larger than this in area go to no decoder: VLC's JPEG decoder
// and video output would hold hundreds of megabytes for one 8192 x 8192
// picture, and no camera phone recorded more than 4096 x 4096.
inline constexpr uint64_t kMaxShownPixels = uint64_t(4096) * 4096;

// True when the JPEG stream `bytes` declares a picture of at most
// kMaxShownPixels (or none: the decoder then refuses it cheaply).
bool PictureFitsDecoder(const uint8_t* bytes, size_t size);

// The clip's title: its file name without folder and extension.
std::string TitleOf(std::string_view path);

// One piece of the clip for an elementary stream: frame k's JPEG stream
// (the shared header's `headLength` bytes from the clip's start, then
// `size` bytes at `offset`), or one AMR block (`size` bytes at `offset`).
struct ClipUnit {
  enum Kind { kNone, kFrame, kSound } kind = kNone;
  int64_t startUs = 0;
  int64_t lengthUs = 0;
  uint32_t headLength = 0;
  uint32_t offset = 0;
  uint32_t size = 0;
};

class ClipDemuxer {
 public:
  // How many bytes a clip's frames may come to once each has the shared
  // header in front: as much as the export allows itself, so that a small
  // clip of many frames cannot make gigabytes of pictures.
  static constexpr uint64_t kMinFrameBytesLimit = 64'000'000;
  static constexpr uint64_t kFrameBytesPerClipByte = 48;
  // A frame stream shorter than this cannot hold a picture (a JPEG needs its
  // start, a quantisation table, a frame header and a scan): such frames
  // keep their time but go to no decoder, so that a file of FF D8 pairs
  // does not cost half a million decoder failures.
  static constexpr uint64_t kShortestPicture = 64;
  // The clip is read in pieces of this size while it is indexed.
  static constexpr uint32_t kIndexPiece = 256 * 1024;

  // Lays the clip out through `read`. False with a reason in `why` when it
  // holds no frame, cannot be read, its frames exceed the bound above, or
  // its sound lasts longer than a clip of its size can carry (a track of
  // one-byte frames would be hours of silence).
  bool Open(const ReadClipBytes& read, uint64_t length, std::string& why);

  const ClipLayout& layout() const { return m_layout; }
  bool hasSound() const { return m_layout.soundPlayable(); }
  int64_t LengthUs() const { return m_layout.DurationNs() / 1000; }
  // The time of what was handed out last (where a seek put the clip before that).
  int64_t TimeUs() const { return m_timeUs; }

  // The next unit in time order; kind kNone at the clip's end.
  ClipUnit Next();
  // The frame on show at `us` and the sound block that plays then come next.
  void Seek(int64_t us);

 private:
  ClipUnit FrameUnit(uint32_t k) const;
  ClipUnit SoundUnit(int64_t b) const;

  ClipLayout m_layout;
  uint32_t m_nextFrame = 0;
  int64_t m_nextBlock = 0;
  int64_t m_timeUs = 0;
};
