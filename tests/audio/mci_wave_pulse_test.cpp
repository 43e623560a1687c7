// The wave device heard through a real sound server: SDL's PulseAudio driver
// against a private server, recorded from the monitor of its sink.
#include <gtest/gtest.h>

#include <cmath>
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

}  // namespace

TEST(MciWaveOnPulse, ATonePlayedIsHeardOnTheSink) {
  PulseDaemon pulse;
  ::setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
  WriteFile(pulse.folder() + "/tone.wav", PcmWav(1, kRate, Tone(1000, 2 * kRate)));
  std::string recording = pulse.folder() + "/monitor.raw";
  std::vector<double> sound;
  {
    MonitorRecording monitor(recording, kRate);
    CMciWave wave;
    wave.m_strPath = pulse.folder() + "/tone.wav";
    ASSERT_EQ(wave.Open(), 0u);
    ASSERT_EQ(wave.Play(), 0u);
    ASSERT_TRUE(WaitUntil([&] { return SoundPart(Samples16(ReadFile(recording))).size() >= kRate / 2; }));
    wave.Stop();
    EXPECT_EQ(wave.Close(), 0u);
    sound = SoundPart(Samples16(ReadFile(recording)));
  }
  EXPECT_GT(EnergyShareAt(sound, 1000), 0.9);
  EXPECT_LT(EnergyShareAt(sound, 700), 0.01);
  EXPECT_LT(EnergyShareAt(sound, 2000), 0.01);
}
