// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include <gtest/gtest.h>

#include <string>

#include "audio/amr_to_wav.h"
#include "audio/amr_track.h"
#include "audio/background_conversion.h"
#include "tests/audio/amr_tracks.h"

namespace {

// The samples the conversion handed over, as the little-endian bytes a WAV
// file holds.
Bytes ReadyBytes(const StreamedPcm& pcm) {
  Bytes out;
  const uint64_t count = pcm.ready.load() * pcm.channels;
  for (uint64_t i = 0; i < count; ++i) {
    const uint16_t s = uint16_t(pcm.samples[i]);
    out.push_back(uint8_t(s));
    out.push_back(uint8_t(s >> 8));
  }
  return out;
}

Bytes TwoChannelTrack() {
  std::vector<Bytes> a = SplitFrames(EncodeNarrowBand(TestSignal(1000, 8000), 7, false), 6, false);
  std::vector<Bytes> b = SplitFrames(EncodeNarrowBand(TestSignal(1000, 8000), 2, true), 6, false);
  Bytes track = JoinFrames("#!AMR_MC1.0\n", {Bytes{0, 0, 0, 2}});
  for (size_t i = 0; i < a.size(); ++i) {
    track.insert(track.end(), a[i].begin(), a[i].end());
    track.insert(track.end(), b[i].begin(), b[i].end());
  }
  return track;
}

// `seconds` of sound made of one encoded second over and over: long enough
// that a conversion is still running when it is cancelled.
Bytes LongTrack(int seconds) {
  const std::vector<Bytes> second = SplitFrames(EncodeNarrowBand(TestSignal(1000, 8000), 7, false), 6, false);
  std::vector<Bytes> frames;
  for (int i = 0; i < seconds; ++i) frames.insert(frames.end(), second.begin(), second.end());
  return JoinFrames("#!AMR\n", frames);
}

}  // namespace

TEST(BackgroundConversion, WritesWhatTheWholeConversionWritesAndHandsOverEverySample) {
  const struct {
    const char* name;
    Bytes track;
    uint16_t channels;
    uint32_t rate;
  } cases[] = {
      {"narrow band", EncodeNarrowBand(TestSignal(1500, 8000), 7, true), 1, 8000},
      {"two channels", TwoChannelTrack(), 2, 8000},
      {"wide band", EncodeWideBand(TestSignal(1500, 16000), 2, false), 1, 16000},
      {"magic only", {'#', '!', 'A', 'M', 'R', '\n'}, 1, 8000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    WriteFile(dir.File("t.amr"), c.track);
    ASSERT_EQ(ConvertAmrToWav(dir.File("t.amr").c_str(), dir.File("whole.wav").c_str()), 1);
    const Bytes whole = ReadFile(dir.File("whole.wav"));

    const int64_t blocks = AmrCountBlocks(c.track.data(), c.track.size());
    BackgroundConversion conversion;
    ASSERT_TRUE(conversion.Start(dir.File("t.amr"), dir.File("bg.wav"), blocks));
    ASSERT_NE(conversion.pcm(), nullptr);
    const StreamedPcm& pcm = *conversion.pcm();
    // The length is known before anything is decoded.
    EXPECT_EQ(pcm.frameCount, uint64_t(blocks) * (c.rate / 50));
    EXPECT_EQ(pcm.channels, c.channels);
    EXPECT_EQ(pcm.sampleRate, c.rate);
    ASSERT_TRUE(conversion.Wait());

    EXPECT_EQ(ReadFile(dir.File("bg.wav")), whole);
    EXPECT_EQ(pcm.ready.load(), pcm.frameCount);
    EXPECT_EQ(ReadyBytes(pcm), WavData(whole));
  }
}

TEST(BackgroundConversion, CancelStopsHalfWayAndLeavesAValidFile) {
  TempDir dir;
  const Bytes track = LongTrack(20 * 60);
  WriteFile(dir.File("t.amr"), track);
  BackgroundConversion conversion;
  ASSERT_TRUE(conversion.Start(dir.File("t.amr"), dir.File("t.wav"), AmrCountBlocks(track.data(), track.size())));
  const std::shared_ptr<StreamedPcm> pcm = conversion.pcm();
  ASSERT_TRUE(FileExists(dir.File("t.wav")));  // started: the file is made before the thread runs
  conversion.Cancel();
  EXPECT_FALSE(conversion.Wait());
  EXPECT_LT(pcm->ready.load(), pcm->frameCount);

  // What was written is a whole WAV file of whole blocks.
  const Bytes wav = ReadFile(dir.File("t.wav"));
  ASSERT_GE(wav.size(), 44u);
  EXPECT_EQ(Le32(wav, 40), wav.size() - 44);
  EXPECT_EQ(Le32(wav, 40) % 320, 0u);
  EXPECT_LT(Le32(wav, 40), pcm->frameCount * 2);

  // The same object runs again, to the end.
  ASSERT_TRUE(conversion.Start(dir.File("t.amr"), dir.File("t.wav"), AmrCountBlocks(track.data(), track.size())));
  ASSERT_TRUE(conversion.Wait());
  EXPECT_EQ(Le32(ReadFile(dir.File("t.wav")), 40), pcm->frameCount * 2);
}

TEST(BackgroundConversion, RefusesWhatCannotBeConverted) {
  TempDir dir;
  WriteFile(dir.File("t.amr"), EncodeNarrowBand(TestSignal(200, 8000), 7, false));
  WriteFile(dir.File("text.amr"), {'h', 'e', 'l', 'l', 'o'});
  const struct {
    const char* name;
    std::string amr, wav;
    int64_t blocks;
  } cases[] = {
      {"missing track", dir.File("missing.amr"), dir.File("a.wav"), 10},
      {"no known magic", dir.File("text.amr"), dir.File("b.wav"), 10},
      {"no folder for the WAV file", dir.File("t.amr"), dir.File("no/c.wav"), 10},
      {"no count", dir.File("t.amr"), dir.File("d.wav"), -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    BackgroundConversion conversion;
    EXPECT_FALSE(conversion.Start(c.amr, c.wav, c.blocks));
    EXPECT_EQ(conversion.pcm(), nullptr);
    EXPECT_FALSE(conversion.Wait());
    EXPECT_FALSE(FileExists(c.wav));
  }
}
