// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The wave device on a system without any sound output.
#include <gtest/gtest.h>

#include <cstdlib>

#include "audio/mci_wave.h"
#include "tests/audio/wav_samples.h"

namespace {

class NoDriver : public ::testing::Environment {
 public:
  void SetUp() override { ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1); }
};
const auto* const kNoDriver = ::testing::AddGlobalTestEnvironment(new NoDriver);

}  // namespace

TEST(MciWaveWithoutOutput, OpenFailsAndEverythingElseIsHarmless) {
  TempDir dir;
  WriteFile(dir.File("sound.wav"), PcmWav(1, 8000, CountingSamples(1, 800)));
  CMciWave wave;
  wave.m_strPath = dir.File("missing.wav");
  EXPECT_EQ(wave.Open(), MCIERR_FILE_NOT_FOUND);  // the file is judged first

  wave.m_strPath = dir.File("sound.wav");
  EXPECT_EQ(wave.Open(), MCIERR_CANNOT_LOAD_DRIVER);
  EXPECT_EQ(wave.m_wDeviceID, 0);
  EXPECT_EQ(wave.GetLength(), WAVE_LENGTH_UNKNOWN);
  EXPECT_EQ(wave.Play(), MCIERR_INVALID_DEVICE_ID);
  EXPECT_FALSE(wave.m_bPlaying);
  EXPECT_EQ(wave.SeekAndPlay(100), 0u);
  EXPECT_EQ(wave.Stop(), MCIERR_INVALID_DEVICE_ID);
  EXPECT_EQ(wave.Close(), 1u);
}

TEST(MciWaveWithoutOutput, AnOutputThatAppearsLaterIsUsed) {
  TempDir dir;
  WriteFile(dir.File("sound.wav"), PcmWav(1, 8000, CountingSamples(1, 800)));
  CMciWave wave;
  wave.m_strPath = dir.File("sound.wav");
  ASSERT_EQ(wave.Open(), MCIERR_CANNOT_LOAD_DRIVER);

  ::setenv("SDL_AUDIODRIVER", "disk", 1);
  ::setenv("SDL_DISKAUDIOFILE", dir.File("out.raw").c_str(), 1);
  EXPECT_EQ(wave.Open(), 0u);
  EXPECT_EQ(wave.GetLength(), 100u);
  EXPECT_EQ(wave.Play(), 0u);
  EXPECT_EQ(wave.Close(), 0u);
}
