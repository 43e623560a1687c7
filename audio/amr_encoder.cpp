// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "audio/amr_encoder.h"

#include <algorithm>
#include <cstring>

#include <opencore-amrnb/interf_enc.h>
#include <vo-amrwbenc/enc_if.h>

namespace {

constexpr size_t kWideFrameSamples = 320;
// The largest frame of either band: the type byte and 60 bytes of AMR-WB 23.85.
constexpr size_t kLargestFrame = 64;

}  // namespace

const std::vector<int>& AmrModes(AmrBand band) {
  // In the order of the encoders' mode numbers.
  static const std::vector<int> narrow = {4750, 5150, 5900, 6700, 7400, 7950, 10200, 12200};
  static const std::vector<int> wide = {6600, 8850, 12650, 14250, 15850, 18250, 19850, 23050, 23850};
  return band == AmrBand::narrow ? narrow : wide;
}

bool AmrModeSupported(AmrBand band, int bitrate) {
  const std::vector<int>& modes = AmrModes(band);
  return std::find(modes.begin(), modes.end(), bitrate) != modes.end();
}

int AmrSampleRate(AmrBand band) { return band == AmrBand::narrow ? 8000 : 16000; }

const char* AmrMagic(AmrBand band) { return band == AmrBand::narrow ? "#!AMR\n" : "#!AMR-WB\n"; }

AmrEncoder::~AmrEncoder() {
  if (!m_state) return;
  if (m_band == AmrBand::narrow)
    Encoder_Interface_exit(m_state);
  else
    E_IF_exit(m_state);
}

bool AmrEncoder::Open(AmrBand band, int bitrate) {
  const std::vector<int>& modes = AmrModes(band);
  const auto mode = std::find(modes.begin(), modes.end(), bitrate);
  if (mode == modes.end() || m_state) return false;
  m_band = band;
  m_mode = int(mode - modes.begin());
  m_state = band == AmrBand::narrow ? Encoder_Interface_init(0) : E_IF_init();
  return m_state != nullptr;
}

size_t AmrEncoder::frameSamples() const {
  return m_band == AmrBand::narrow ? kAmrFrameSamples : kWideFrameSamples;
}

void AmrEncoder::EncodeFrame(const int16_t* samples, std::vector<uint8_t>& track) {
  unsigned char out[kLargestFrame];
  const int bytes = m_band == AmrBand::narrow
                        ? Encoder_Interface_Encode(m_state, Mode(m_mode), samples, out, 0)
                        : E_IF_encode(m_state, m_mode, samples, out, 0);
  track.insert(track.end(), out, out + std::clamp(bytes, 0, int(kLargestFrame)));
}

bool EncodeAmrTrack(const int16_t* samples, size_t count, std::vector<uint8_t>& track) {
  AmrEncoder encoder;
  if (!encoder.Open(AmrBand::narrow, 12200)) return false;
  const char* magic = AmrMagic(AmrBand::narrow);
  track.insert(track.end(), magic, magic + std::strlen(magic));
  for (size_t at = 0; at < count; at += kAmrFrameSamples) {
    int16_t frame[kAmrFrameSamples] = {};
    std::copy(samples + at, samples + std::min(count, at + kAmrFrameSamples), frame);
    encoder.EncodeFrame(frame, track);
  }
  return true;
}
