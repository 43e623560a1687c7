// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Encoding 16-bit mono PCM as an AMR storage file: AMR-NB at 8000 Hz
// (opencore-amrnb) or AMR-WB at 16000 Hz (vo-amrwbenc), 20 ms a frame, at
// one fixed mode, without discontinuous transmission, so that every 20 ms of
// sound is one speech frame and the track's length is its frame count x 20 ms.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum class AmrBand {
  narrow,  // AMR-NB, 8000 Hz, "#!AMR\n"
  wide,    // AMR-WB, 16000 Hz, "#!AMR-WB\n"
};

// Samples in one 20 ms AMR-NB frame.
inline constexpr size_t kAmrFrameSamples = 160;

// The band's modes in bit/s, lowest first; the highest is the default.
const std::vector<int>& AmrModes(AmrBand band);
bool AmrModeSupported(AmrBand band, int bitrate);
int AmrSampleRate(AmrBand band);
// The storage file's magic for the band, with its line feed.
const char* AmrMagic(AmrBand band);

class AmrEncoder {
 public:
  AmrEncoder() = default;
  ~AmrEncoder();
  AmrEncoder(const AmrEncoder&) = delete;
  AmrEncoder& operator=(const AmrEncoder&) = delete;

  // Starts an encoder of `band` at `bitrate` (one of AmrModes). False when
  // the mode is not one of the band's or the encoder cannot start.
  bool Open(AmrBand band, int bitrate);
  // Samples in one 20 ms frame: 160 or 320.
  size_t frameSamples() const;
  // Encodes frameSamples() samples and appends the frame, its frame-type
  // byte first, to `track`.
  void EncodeFrame(const int16_t* samples, std::vector<uint8_t>& track);

 private:
  AmrBand m_band = AmrBand::narrow;
  int m_mode = 0;
  void* m_state = nullptr;
};

// Appends "#!AMR\n" and one 12.2 kbit/s AMR-NB frame for every 160 samples
// of 8000 Hz sound to `track`; a last part frame is completed with silence.
// False when the encoder cannot start.
bool EncodeAmrTrack(const int16_t* samples, size_t count, std::vector<uint8_t>& track);
