// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tests/audio/amr_tracks.h"

#include <algorithm>
#include <cmath>
#include <opencore-amrnb/interf_enc.h>
#include <random>
#include <stdexcept>
#include <vo-amrwbenc/enc_if.h>

namespace {

// Payload bytes per frame type, as the storage format defines them.
constexpr size_t kNarrowPayload[16] = {12, 13, 15, 17, 19, 20, 26, 31, 5, 0, 0, 0, 0, 0, 0, 0};
constexpr size_t kWidePayload[16] = {17, 23, 32, 36, 40, 46, 50, 58, 60, 5, 0, 0, 0, 0, 0, 0};

void Append(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

}  // namespace

Samples TestSignal(int milliseconds, int sampleRate) {
  const size_t count = size_t(milliseconds) * size_t(sampleRate) / 1000;
  Samples out(count);
  std::mt19937 rng(7);
  std::normal_distribution<double> noise(0.0, 5.0);
  double phase = 0;
  for (size_t i = 0; i < count; ++i) {
    const double t = double(i) / sampleRate;
    const bool voiced = std::fmod(t, 0.7) < 0.45;
    const double pitch = 120 + 80 * std::sin(2 * M_PI * 0.8 * t);
    phase += 2 * M_PI * pitch / sampleRate;
    double v = noise(rng);
    if (voiced)
      v += 5000 * std::sin(phase) + 2500 * std::sin(3 * phase + 0.5) + 1200 * std::sin(7 * phase);
    out[i] = int16_t(std::lround(std::clamp(v, -32768.0, 32767.0)));
  }
  return out;
}

Bytes EncodeNarrowBand(const Samples& pcm, int mode, bool dtx) {
  return EncodeNarrowBand(pcm, std::vector<int>{mode}, dtx);
}

Bytes EncodeNarrowBand(const Samples& pcm, const std::vector<int>& modes, bool dtx) {
  void* state = Encoder_Interface_init(dtx ? 1 : 0);
  if (!state) throw std::runtime_error("no AMR-NB encoder");
  Bytes out;
  Append(out, "#!AMR\n");
  unsigned char frame[64];
  for (size_t i = 0; i + 160 <= pcm.size(); i += 160) {
    const auto mode = static_cast<enum Mode>(modes[(i / 160) % modes.size()]);
    int n = Encoder_Interface_Encode(state, mode, pcm.data() + i, frame, 0);
    out.insert(out.end(), frame, frame + n);
  }
  Encoder_Interface_exit(state);
  return out;
}

Bytes EncodeWideBand(const Samples& pcm, int mode, bool dtx) {
  void* state = E_IF_init();
  if (!state) throw std::runtime_error("no AMR-WB encoder");
  Bytes out;
  Append(out, "#!AMR-WB\n");
  unsigned char frame[128];
  for (size_t i = 0; i + 320 <= pcm.size(); i += 320) {
    int n = E_IF_encode(state, mode, pcm.data() + i, frame, dtx ? 1 : 0);
    out.insert(out.end(), frame, frame + n);
  }
  E_IF_exit(state);
  return out;
}

std::vector<Bytes> SplitFrames(const Bytes& file, size_t magicLength, bool wide) {
  std::vector<Bytes> frames;
  const size_t* payload = wide ? kWidePayload : kNarrowPayload;
  size_t at = magicLength;
  while (at < file.size()) {
    const size_t size = 1 + payload[(file[at] >> 3) & 15];
    if (at + size > file.size()) throw std::runtime_error("truncated frame in a test track");
    frames.emplace_back(file.begin() + long(at), file.begin() + long(at + size));
    at += size;
  }
  return frames;
}

Bytes JoinFrames(const std::string& magic, const std::vector<Bytes>& frames) {
  Bytes out;
  Append(out, magic);
  for (const Bytes& f : frames) out.insert(out.end(), f.begin(), f.end());
  return out;
}

uint16_t Le16(const Bytes& b, size_t at) { return uint16_t(b.at(at) | b.at(at + 1) << 8); }
uint32_t Le32(const Bytes& b, size_t at) { return Le16(b, at) | uint32_t(Le16(b, at + 2)) << 16; }

Bytes WavData(const Bytes& wav) {
  size_t at = 12;  // after "RIFF", its size and "WAVE"
  while (at + 8 <= wav.size()) {
    const uint32_t size = Le32(wav, at + 4);
    if (std::equal(wav.begin() + long(at), wav.begin() + long(at + 4), "data")) {
      const size_t end = std::min(wav.size(), at + 8 + size);
      return Bytes(wav.begin() + long(at + 8), wav.begin() + long(end));
    }
    at += 8 + size + (size & 1);
  }
  return {};
}
