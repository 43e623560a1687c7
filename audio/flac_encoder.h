// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// A lean FLAC encoder for 16-bit sound: frames of fixed-predictor
// subframes with partitioned Rice residuals (constant and verbatim where
// they are smaller), within FLAC's streamable subset, as a Matroska track
// or a .flac file carries them. Speech at 8 or 16 kHz gains little from
// linear prediction; this keeps the export's cost the sound decode's.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

inline constexpr int kFlacStreamInfoBytes = 34;

class FlacEncoder {
 public:
  // Instants a frame holds; the last one may hold fewer. The largest the
  // streamable subset allows at up to 48 kHz.
  static constexpr int kBlockSize = 4608;
  static constexpr int kMaxChannels = 8;

  // `channels` 1 to kMaxChannels, `sampleRate` 1 Hz to 655,350 Hz.
  FlacEncoder(int channels, int sampleRate);

  // Encodes `count` interleaved instants (1 to kBlockSize; only the last
  // frame of a stream may be shorter) as the next frame, replacing `frame`.
  void EncodeFrame(const int16_t* interleaved, int count, std::vector<uint8_t>& frame);

  // The STREAMINFO block for the frames encoded so far. The MD5 of the
  // samples is left unset (zero), which FLAC allows.
  std::array<uint8_t, kFlacStreamInfoBytes> StreamInfo() const;

 private:
  int m_channels;
  int m_sampleRate;
  uint32_t m_frameNumber = 0;
  uint64_t m_samples = 0;
  uint32_t m_minFrameBytes = 0, m_maxFrameBytes = 0;
  std::vector<int32_t> m_channel;   // one channel's samples
  std::vector<uint32_t> m_folded;   // its residuals, folded to unsigned
};
