// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "vlc/clip_demuxer.h"

#include <algorithm>
#include <strings.h>

#include "container/clip_file.h"

namespace {

constexpr int64_t kSoundBlockUs = kSoundBlockNs / 1000;

std::string_view ExtensionOf(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

bool ExtensionIs(std::string_view path, std::initializer_list<const char*> names) {
  const std::string extension(ExtensionOf(path));
  return std::any_of(names.begin(), names.end(),
                     [&](const char* name) { return strcasecmp(extension.c_str(), name) == 0; });
}

}  // namespace

bool ClaimStream(const PeekBytes& peek, uint64_t length, const StreamHints& hints) {
  // Motion JPEG is JPEG pictures back to back too; such files keep their demuxer.
  if (!hints.forced && ExtensionIs(hints.path, {".mjpg", ".mjpeg", ".mpo"})) return false;
  if (LooksLikeClip(peek, length)) return true;
  if (!hints.forced && !ExtensionIs(hints.path, {".zrv", ".gzrv"})) return false;
  return ReadJpegStart(peek, 0, length ? length : UINT32_MAX).ok;
}

bool PictureFitsDecoder(const uint8_t* bytes, size_t size) {
  const PeekBytes peek = [&](uint64_t offset, uint32_t n) -> const uint8_t* {
    return offset + n <= size ? bytes + offset : nullptr;
  };
  const JpegStart start = ReadJpegStart(peek, 0, size);
  return uint64_t(start.width) * start.height <= kMaxShownPixels;
}

std::string TitleOf(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  return std::string(name);
}

bool ClipDemuxer::Open(const ReadClipBytes& read, uint64_t length, std::string& why) {
  if (length > UINT32_MAX) {
    why = "the clip is 4 GiB or larger, more than a ZRV clip can be";
    return false;
  }
  if (!m_layout.Index(read, uint32_t(length), kIndexPiece, why)) return false;
  const uint64_t limit = std::max(kMinFrameBytesLimit, kFrameBytesPerClipByte * length);
  uint64_t total = 0;
  for (uint32_t k = 0; k < m_layout.frames() && total <= limit; ++k) total += m_layout.Frame(k).length();
  if (total > limit) {
    why = "its frames, each given the shared header, would come to more than " +
          std::to_string(limit / 1000000) + " MB, the most a clip of " + std::to_string(length) +
          " bytes may make";
    return false;
  }
  // The layout stops scanning a track past what the clip can carry, and
  // drops it; such a clip is refused rather than played as silence.
  if (m_layout.soundBeyondClip()) {
    why = "its sound track lasts longer than a clip of " + std::to_string(length) + " bytes can carry";
    return false;
  }
  Seek(0);
  return true;
}

ClipUnit ClipDemuxer::FrameUnit(uint32_t k) const {
  const FrameStreamSpans spans = m_layout.Frame(k);
  ClipUnit unit;
  unit.kind = ClipUnit::kFrame;
  unit.startUs = m_layout.FrameStartNs(k) / 1000;
  unit.lengthUs = m_layout.FrameStartNs(k + 1) / 1000 - unit.startUs;
  unit.headLength = spans.headLength;
  unit.offset = spans.bodyOffset;
  unit.size = spans.bodyLength;
  return unit;
}

ClipUnit ClipDemuxer::SoundUnit(int64_t b) const {
  ClipUnit unit;
  unit.kind = ClipUnit::kSound;
  unit.startUs = b * kSoundBlockUs;
  unit.lengthUs = kSoundBlockUs;
  // VLC's AMR decoder takes one storage-format block at a time.
  unit.offset = m_layout.trackOffset() + m_layout.SoundBlocks(b, 1, unit.size);
  return unit;
}

ClipUnit ClipDemuxer::Next() {
  for (;;) {
    const bool framesLeft = m_nextFrame < m_layout.frames();
    const bool soundLeft = hasSound() && m_nextBlock < m_layout.soundBlocks();
    ClipUnit unit;
    if (framesLeft && (!soundLeft || m_layout.FrameStartNs(m_nextFrame) / 1000 <= m_nextBlock * kSoundBlockUs))
      unit = FrameUnit(m_nextFrame++);
    else if (soundLeft)
      unit = SoundUnit(m_nextBlock++);
    else
      return unit;
    m_timeUs = std::max(m_timeUs, unit.startUs);
    if (unit.kind == ClipUnit::kSound || uint64_t(unit.headLength) + unit.size >= kShortestPicture) return unit;
  }
}

void ClipDemuxer::Seek(int64_t us) {
  us = std::clamp<int64_t>(us, 0, LengthUs());
  m_nextFrame = us >= LengthUs() ? m_layout.frames() : m_layout.FrameAt(us * 1000);
  m_nextBlock = hasSound() ? std::min(us / kSoundBlockUs, m_layout.soundBlocks()) : 0;
  m_timeUs = us;
}
