// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/clip_maker/tone.h"

#include <cmath>

namespace {

constexpr int kRate = 8000;
constexpr double kNotes[8] = {261.63, 293.66, 329.63, 349.23, 392.00, 440.00, 493.88, 523.25};
constexpr double kAmplitude = 9000;

}  // namespace

double TonePitch(uint32_t second) { return kNotes[second % 8]; }

std::vector<int16_t> ToneSamples(uint32_t milliseconds) {
  std::vector<int16_t> samples(size_t(milliseconds) * kRate / 1000);
  double phase = 0;  // carried across seconds, so that pitch changes do not click
  for (size_t i = 0; i < samples.size(); ++i) {
    phase += 2 * M_PI * TonePitch(uint32_t(i / kRate)) / kRate;
    if (phase > 2 * M_PI) phase -= 2 * M_PI;
    samples[i] = int16_t(std::lround(kAmplitude * std::sin(phase)));
  }
  return samples;
}
