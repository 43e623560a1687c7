// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The clip's sound track decoded as the player converts it, block by block,
// so that the export takes the samples as the frames need them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/amr_decoder.h"
#include "export/clip_source.h"

class SoundSource {
 public:
  // Counts the clip's track: how long it lasts, from its frames, without
  // decoding. A clip without a track, or with one of no known kind, leaves
  // usable() false. The clip must outlive this object.
  bool Count(const ClipSource& clip);
  // Opens the decoder on a counted, usable track, reading the clip's bytes.
  // False, with `error`, when no decoder can start.
  bool Open(std::string& error);

  bool usable() const { return m_samples > 0; }
  int channels() const { return m_decoder.channels(); }
  int sampleRate() const { return m_decoder.sampleRate(); }
  // Samples per channel in the whole track, and their rate, known once counted.
  int64_t samples() const { return m_samples; }
  int64_t countedRate() const { return m_rate; }

  // Decodes the next 20 ms block, replacing `interleaved` with its samples,
  // channel after channel for each instant. False at the end of the track.
  bool NextBlock(std::vector<int16_t>& interleaved);

 private:
  const uint8_t* m_track = nullptr;
  size_t m_trackSize = 0;
  AmrBlockDecoder m_decoder;
  int64_t m_samples = 0;
  int64_t m_rate = 0;
};
