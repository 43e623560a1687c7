// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The wave device heard through a real sound server: SDL's PulseAudio driver
// against a private server, recorded from the monitor of its sink.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

#include "audio/mci_wave.h"
#include "tests/audio/disk_output.h"
#include "tests/audio/pulse_daemon.h"
#include "tests/audio/wav_samples.h"

namespace {

constexpr int kRate = 8000;

std::vector<int16_t> Tone(double hz, int frames) {
  std::vector<int16_t> samples;
  for (int i = 0; i < frames; ++i)
    samples.push_back(static_cast<int16_t>(12000 * std::sin(2 * std::numbers::pi * hz * i / kRate)));
  return samples;
}

// The share of the signal's energy that lies at `hz` (Goertzel over all of it).
double EnergyShareAt(const std::vector<double>& x, double hz) {
  double coeff = 2 * std::cos(2 * std::numbers::pi * hz / kRate);
  double s1 = 0, s2 = 0, total = 0;
  for (double v : x) {
    double s0 = v + coeff * s1 - s2;
    s2 = s1;
    s1 = s0;
    total += v * v;
  }
  double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
  return total > 0 ? 2 * power / (static_cast<double>(x.size()) * total) : 0;
}

// The samples louder than a whisper, and everything between the first and the last.
std::vector<double> SoundPart(const std::vector<int16_t>& recorded) {
  size_t first = recorded.size(), last = 0;
  for (size_t i = 0; i < recorded.size(); ++i) {
    if (std::abs(recorded[i]) > 1000) {
      first = std::min(first, i);
      last = i;
    }
  }
  if (first >= last) return {};
  return std::vector<double>(recorded.begin() + static_cast<long>(first), recorded.begin() + static_cast<long>(last) + 1);
}

// Plays `wave` (open, stopped at 0) with the sink's monitor recorded, and
// gives the recorded sound.
std::vector<double> PlayAndRecord(const PulseDaemon& pulse, CMciWave& wave) {
  std::string recording = pulse.folder() + "/monitor.raw";
  std::remove(recording.c_str());
  MonitorRecording monitor(recording, kRate);
  EXPECT_EQ(wave.Play(), 0u);
  EXPECT_TRUE(WaitUntil([&] { return SoundPart(Samples16(ReadFile(recording))).size() >= kRate / 2; }));
  wave.Stop();
  return SoundPart(Samples16(ReadFile(recording)));
}

class MciWaveOnPulse : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
    WriteFile(m_pulse.folder() + "/tone.wav", PcmWav(1, kRate, Tone(1000, 2 * kRate)));
    m_wave.m_strPath = m_pulse.folder() + "/tone.wav";
  }

  PulseDaemon m_pulse;
  CMciWave m_wave;
};

}  // namespace

TEST_F(MciWaveOnPulse, ATonePlayedIsHeardOnTheSink) {
  ASSERT_EQ(m_wave.Open(), 0u);
  std::vector<double> sound = PlayAndRecord(m_pulse, m_wave);
  EXPECT_EQ(m_wave.Close(), 0u);
  EXPECT_GT(EnergyShareAt(sound, 1000), 0.9);
  EXPECT_LT(EnergyShareAt(sound, 700), 0.01);
  EXPECT_LT(EnergyShareAt(sound, 2000), 0.01);
}

TEST_F(MciWaveOnPulse, AServerThatGoesAwayFailsPlayUntilItIsBack) {
  ASSERT_EQ(m_wave.Open(), 0u);
  ASSERT_EQ(m_wave.Play(), 0u);
  m_pulse.Kill();
  // SDL notices the lost output on its own thread; Play then fails.
  ASSERT_TRUE(WaitUntil([&] {
    m_wave.Stop();
    return m_wave.Play() == MCIERR_HARDWARE;
  }));
  EXPECT_FALSE(m_wave.m_bPlaying);
  EXPECT_EQ(m_wave.Close(), 0u);
  EXPECT_NE(m_wave.Open(), 0u);
  EXPECT_EQ(m_wave.m_wDeviceID, 0);

  m_pulse.Start();
  ASSERT_EQ(m_wave.Open(), 0u);
  EXPECT_GT(EnergyShareAt(PlayAndRecord(m_pulse, m_wave), 1000), 0.9);
}
