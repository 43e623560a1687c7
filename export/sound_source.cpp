// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "export/sound_source.h"

#include <algorithm>

#include "audio/amr_track.h"

bool SoundSource::Count(const ClipSource& clip) {
  const FrameIndex& index = clip.index();
  if (!index.hasSound) return true;
  m_track = clip.bytes().data() + index.audioStart;
  m_trackSize = size_t(index.audioEnd) - index.audioStart + 1;
  // Counted from the frames, without decoding: a track of no known kind
  // counts as no sound, as the player plays it.
  const int64_t blocks = AmrCountBlocks(m_track, m_trackSize);
  if (blocks <= 0) return true;
  // Only the wide-band magics go on with '-' ("#!AMR-WB").
  m_rate = m_track[5] == '-' ? 16000 : 8000;
  m_samples = blocks * (m_rate / 50);
  return true;
}

bool SoundSource::Open(std::string& error) {
  if (!usable()) return true;
  // Decoded straight from the clip's bytes, which outlive this object.
  if (!m_decoder.OpenMemory(m_track, m_trackSize) || !m_decoder.Start()) {
    error = "the sound track cannot be decoded: no decoder for it";
    return false;
  }
  return true;
}

bool SoundSource::NextBlock(std::vector<int16_t>& interleaved) {
  if (!m_decoder.Next()) return false;
  const int count = channels(), perBlock = m_decoder.samplesPerBlock();
  const short* const* data = m_decoder.ChannelSamples();
  interleaved.resize(size_t(count) * size_t(perBlock));
  if (count == 1) {
    std::copy(data[0], data[0] + perBlock, interleaved.begin());
    return true;
  }
  for (int i = 0; i < perBlock; ++i)
    for (int c = 0; c < count; ++c) interleaved[size_t(i) * count + c] = data[c][i];
  return true;
}
