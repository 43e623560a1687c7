// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The wave device on SDL's disk driver, which writes every sample the device
// emits (and silence while it is stopped) to a file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "audio/mci_wave.h"
#include "audio/streamed_pcm.h"
#include "tests/audio/disk_output.h"
#include "tests/audio/wav_samples.h"

namespace {

constexpr uint32_t kRate = 8000;
constexpr uint32_t kFrames = 32000;  // 4 s, time enough to stop half-way

class DiskDriver : public ::testing::Environment {
 public:
  void SetUp() override { ::setenv("SDL_AUDIODRIVER", "disk", 1); }
};
const auto* const kDiskDriver = ::testing::AddGlobalTestEnvironment(new DiskDriver);

class MciWave : public ::testing::Test {
 protected:
  // A stereo counting file of kFrames frames at kRate, named in m_wave.
  void SetUp() override {
    WriteFile(m_dir.File("sound.wav"), PcmWav(2, kRate, CountingSamples(2, kFrames)));
    m_wave.m_strPath = m_dir.File("sound.wav");
  }

  TempDir m_dir;
  DiskOutput m_output{m_dir.File("out.raw"), 2};
  CMciWave m_wave;
};

}  // namespace

TEST_F(MciWave, PlaysFromTheStartAndStopsWhereItIs) {
  ASSERT_EQ(m_wave.Open(), 0u);
  EXPECT_NE(m_wave.m_wDeviceID, 0);
  EXPECT_FALSE(m_wave.m_bPlaying);
  EXPECT_EQ(m_wave.GetLength(), 4000u);

  ASSERT_EQ(m_wave.Play(), 0u);
  EXPECT_TRUE(m_wave.m_bPlaying);
  ASSERT_TRUE(WaitUntil([&] { return m_output.FramesEmitted() >= 1000; }));
  EXPECT_EQ(m_wave.Stop(), 0u);
  EXPECT_FALSE(m_wave.m_bPlaying);

  // Stopped, the device emits silence; Play goes on from where Stop left off.
  ASSERT_TRUE(WaitUntil([&] { return m_output.SilentFramesAtEnd() >= 2000; }));
  uint32_t beforeResume = m_output.FramesEmitted();
  ASSERT_EQ(m_wave.Play(), 0u);
  ASSERT_TRUE(WaitUntil([&] { return m_output.FramesEmitted() >= beforeResume + 1000; }));
  m_wave.Stop();
  ASSERT_TRUE(WaitUntil([&] { return m_output.SilentFramesAtEnd() >= 2000; }));
  EXPECT_EQ(m_wave.Close(), 0u);
  EXPECT_EQ(m_wave.m_wDeviceID, 0);

  std::vector<PositionRun> runs = m_output.Runs();
  ASSERT_EQ(runs.size(), 1u);  // one unbroken stretch of the file, from its start
  EXPECT_EQ(runs[0].first, 0u);
  EXPECT_LT(runs[0].count, kFrames);  // stopped before the end
}

TEST_F(MciWave, SeekAndPlayGoesOnFromTheGivenMillisecond) {
  ASSERT_EQ(m_wave.Open(), 0u);
  ASSERT_EQ(m_wave.Play(), 0u);
  ASSERT_TRUE(WaitUntil([&] { return m_output.FramesEmitted() >= 500; }));
  ASSERT_EQ(m_wave.SeekAndPlay(3000), 0u);
  EXPECT_TRUE(m_wave.m_bPlaying);
  auto runsFrom = [&](uint32_t frame) {
    std::vector<PositionRun> runs = m_output.Runs();
    return !runs.empty() && runs.back().first == frame && runs.back().count >= 500;
  };
  ASSERT_TRUE(WaitUntil([&] { return runsFrom(24000); }));

  // Past the end the device plays silence and still counts as playing.
  ASSERT_EQ(m_wave.SeekAndPlay(4'000'000'000u), 0u);
  EXPECT_TRUE(m_wave.m_bPlaying);
  ASSERT_TRUE(WaitUntil([&] { return m_output.SilentFramesAtEnd() >= 2000; }));
  ASSERT_EQ(m_wave.SeekAndPlay(1), 0u);  // 8 frames in
  ASSERT_TRUE(WaitUntil([&] { return runsFrom(8); }));
  m_wave.Close();

  std::vector<PositionRun> runs = m_output.Runs();
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].first, 0u);
  EXPECT_EQ(runs[1].first, 24000u);
}

TEST_F(MciWave, SeekAndPlayDoesNothingUnlessPlaying) {
  ASSERT_EQ(m_wave.Open(), 0u);
  EXPECT_EQ(m_wave.SeekAndPlay(2000), 0u);  // before any Play
  EXPECT_FALSE(m_wave.m_bPlaying);
  ASSERT_EQ(m_wave.Play(), 0u);
  ASSERT_TRUE(WaitUntil([&] { return m_output.FramesEmitted() >= 500; }));
  m_wave.Stop();
  EXPECT_EQ(m_wave.SeekAndPlay(2000), 0u);  // after Stop
  EXPECT_FALSE(m_wave.m_bPlaying);
  ASSERT_TRUE(WaitUntil([&] { return m_output.SilentFramesAtEnd() >= 1000; }));
  m_wave.Close();

  std::vector<PositionRun> runs = m_output.Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].first, 0u);
}

TEST_F(MciWave, ClosedItRefusesEverythingHarmlessly) {
  EXPECT_EQ(m_wave.Close(), 1u);  // nothing was open
  ASSERT_EQ(m_wave.Open(), 0u);
  ASSERT_EQ(m_wave.Play(), 0u);
  EXPECT_EQ(m_wave.Close(), 0u);
  EXPECT_FALSE(m_wave.m_bPlaying);
  EXPECT_EQ(m_wave.Close(), 1u);  // the second time

  // A file it cannot play leaves it closed, even after a good one.
  ASSERT_EQ(m_wave.Open(), 0u);
  WriteFile(m_dir.File("bad.wav"), Bytes(100, 'x'));
  struct Case {
    std::string path;
    uint32_t error;
  } cases[] = {{"", MCIERR_FILENAME_REQUIRED},
               {m_dir.File("missing.wav"), MCIERR_FILE_NOT_FOUND},
               {m_dir.File("bad.wav"), MCIERR_INVALID_FILE},
               {m_dir.path(), MCIERR_FILE_READ}};
  for (const Case& c : cases) {
    m_wave.m_strPath = c.path;
    EXPECT_EQ(m_wave.Open(), c.error) << c.path;
    EXPECT_EQ(m_wave.m_wDeviceID, 0) << c.path;
    EXPECT_EQ(m_wave.GetLength(), WAVE_LENGTH_UNKNOWN) << c.path;
    EXPECT_EQ(m_wave.Play(), MCIERR_INVALID_DEVICE_ID) << c.path;
    EXPECT_FALSE(m_wave.m_bPlaying) << c.path;
  }

  // Stop clears the flag even when it fails, so SeekAndPlay stays quiet.
  m_wave.m_bPlaying = true;
  EXPECT_EQ(m_wave.Stop(), MCIERR_INVALID_DEVICE_ID);
  EXPECT_FALSE(m_wave.m_bPlaying);
  EXPECT_EQ(m_wave.SeekAndPlay(100), 0u);
}

TEST_F(MciWave, ASecondOpenPlaysTheNewFile) {
  ASSERT_EQ(m_wave.Open(), 0u);
  ASSERT_EQ(m_wave.Play(), 0u);
  ASSERT_TRUE(WaitUntil([&] { return m_output.FramesEmitted() >= 500; }));

  // A mono file at another rate, with chunks around its samples; the new
  // device writes to a file of its own.
  WriteFile(m_dir.File("second.wav"),
            PcmWav(1, 11025, CountingSamples(1, 11025), {{"LIST", Bytes(9, 'i')}}, {{"cue ", Bytes(4, 0)}}));
  DiskOutput second(m_dir.File("second.raw"), 1);
  m_wave.m_strPath = m_dir.File("second.wav");
  ASSERT_EQ(m_wave.Open(), 0u);
  EXPECT_FALSE(m_wave.m_bPlaying);
  EXPECT_EQ(m_wave.GetLength(), 1000u);
  uint32_t firstEmitted = m_output.FramesEmitted();  // the first device is closed, its file complete

  ASSERT_EQ(m_wave.Play(), 0u);
  ASSERT_TRUE(WaitUntil([&] { return second.FramesEmitted() >= 2000; }));
  m_wave.Close();
  std::vector<PositionRun> runs = second.Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].first, 0u);
  EXPECT_EQ(m_output.FramesEmitted(), firstEmitted);
}

TEST_F(MciWave, TheLengthIsInWholeMilliseconds) {
  struct Case {
    uint32_t rate;
    uint32_t frames;
    uint32_t ms;
  } cases[] = {{8000, 7999, 999}, {8000, 8, 1}, {8000, 7, 0}, {44100, 44100, 1000}, {16000, 0, 0}};
  for (const Case& c : cases) {
    WriteFile(m_dir.File("len.wav"), PcmWav(1, c.rate, std::vector<int16_t>(c.frames, 5)));
    m_wave.m_strPath = m_dir.File("len.wav");
    ASSERT_EQ(m_wave.Open(), 0u) << c.rate << " " << c.frames;
    EXPECT_EQ(m_wave.GetLength(), c.ms) << c.rate << " " << c.frames;
  }
}

TEST_F(MciWave, StreamedSoundPlaysWhatIsReadyAndKeepsItsPlaceThroughTheRest) {
  // Four seconds of a stereo counting track of which only the first exists.
  auto pcm = std::make_shared<StreamedPcm>(2, kRate, kFrames);
  const std::vector<int16_t> samples = CountingSamples(2, kFrames);
  std::copy(samples.begin(), samples.end(), pcm->samples.get());
  pcm->ready = kRate;
  ASSERT_EQ(m_wave.OpenStream(pcm), 0u);
  EXPECT_EQ(m_wave.GetLength(), 4000u);  // the whole track's, at once

  ASSERT_EQ(m_wave.Play(), 0u);
  ASSERT_TRUE(WaitUntil([&] { return m_output.FramesEmitted() >= kRate && m_output.SilentFramesAtEnd() >= 4000; }));
  // The position went on through the silence; the rest, once there, plays
  // from where the device stands, not from where the sound ran out.
  EXPECT_GE(m_wave.GetPosition(), 1500u);
  pcm->ready = kFrames;
  ASSERT_TRUE(WaitUntil([&] { return m_output.Runs().size() >= 2 && m_output.Runs().back().count >= 1000; }));
  m_wave.Close();

  const std::vector<PositionRun> runs = m_output.Runs();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].first, 0u);
  EXPECT_EQ(runs[0].count, kRate);
  EXPECT_GE(runs[1].first, 12000u);
}

TEST_F(MciWave, StreamedSoundItCannotPlayIsRefused) {
  EXPECT_EQ(m_wave.OpenStream(nullptr), MCIERR_INVALID_FILE);
  EXPECT_EQ(m_wave.OpenStream(std::make_shared<StreamedPcm>(0, kRate, 10)), MCIERR_INVALID_FILE);
  EXPECT_EQ(m_wave.OpenStream(std::make_shared<StreamedPcm>(1, 0, 10)), MCIERR_INVALID_FILE);
  EXPECT_EQ(m_wave.m_wDeviceID, 0);
  EXPECT_EQ(m_wave.GetLength(), WAVE_LENGTH_UNKNOWN);
}
