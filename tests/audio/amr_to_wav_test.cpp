// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include <gtest/gtest.h>

#include <string>

#include "audio/amr_to_wav.h"
#include "tests/audio/amr_tracks.h"

namespace {

struct Converted {
  int result = -1;
  Bytes wav;
};

Converted Convert(const Bytes& track) {
  TempDir dir;
  WriteFile(dir.File("t.amr"), track);
  Converted c;
  c.result = ConvertAmrToWav(dir.File("t.amr").c_str(), dir.File("t.wav").c_str());
  c.wav = ReadFile(dir.File("t.wav"));
  return c;
}

// The PCM that sox writes for the same track, through its own AMR reader.
Bytes SoxPcm(const Bytes& track, const std::string& type) {
  TempDir dir;
  const std::string in = dir.File("t." + type), out = dir.File("t.wav");
  WriteFile(in, track);
  ProgramResult r = RunProgram({"/usr/bin/sox", in, "-t", "wav", out});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return WavData(ReadFile(out));
}

// Sample frame block `i` (of `bytesPerBlock`) of a WAV file's data.
Bytes Block(const Bytes& wav, size_t i, size_t bytesPerBlock) {
  const size_t at = 44 + i * bytesPerBlock;
  return Bytes(wav.begin() + long(at), wav.begin() + long(at + bytesPerBlock));
}

const Samples& NarrowSignal() {
  static const Samples s = TestSignal(1500, 8000);
  return s;
}

}  // namespace

TEST(ConvertAmrToWav, EmptyAndFiftyFrameTracks) {
  Converted empty = Convert({'#', '!', 'A', 'M', 'R', '\n'});
  EXPECT_EQ(empty.result, 1);
  ASSERT_EQ(empty.wav.size(), 44u);
  EXPECT_EQ(Le32(empty.wav, 4), 36u);
  EXPECT_EQ(Le32(empty.wav, 40), 0u);

  Converted one = Convert(EncodeNarrowBand(TestSignal(1000, 8000), 7, false));
  EXPECT_EQ(one.result, 1);
  EXPECT_EQ(Le16(one.wav, 22), 1u);
  EXPECT_EQ(Le32(one.wav, 24), 8000u);
  EXPECT_EQ(Le32(one.wav, 28), 16000u);
  EXPECT_EQ(Le32(one.wav, 40), 16000u);  // 50 blocks of 160 samples
  EXPECT_EQ(Le32(one.wav, 4), 16036u);
  EXPECT_EQ(one.wav.size(), 16044u);
}

TEST(ConvertAmrToWav, RefusedTracksMakeNoWavFile) {
  TempDir dir;
  const std::string wav = dir.File("t.wav");
  EXPECT_EQ(ConvertAmrToWav(dir.File("missing.amr").c_str(), wav.c_str()), 0);
  WriteFile(dir.File("t.amr"), {'#', '!', 'A', 'M', 'R', 'X', 0x3C});
  EXPECT_EQ(ConvertAmrToWav(dir.File("t.amr").c_str(), wav.c_str()), 0);
  EXPECT_FALSE(FileExists(wav));

  WriteFile(dir.File("t.amr"), EncodeNarrowBand(NarrowSignal(), 7, false));
  EXPECT_EQ(ConvertAmrToWav(dir.File("t.amr").c_str(), dir.File("no/dir/t.wav").c_str()), 0);
  // The samples cannot all reach the disk: not reported as done.
  EXPECT_EQ(ConvertAmrToWav(dir.File("t.amr").c_str(), "/dev/full"), 0);
}

TEST(ConvertAmrToWav, MatchesSoxForEveryModeWithAndWithoutDtx) {
  for (bool dtx : {false, true}) {
    for (int mode = 0; mode < 8; ++mode) {
      const Bytes track = EncodeNarrowBand(NarrowSignal(), mode, dtx);
      Converted c = Convert(track);
      ASSERT_EQ(c.result, 1);
      EXPECT_EQ(Le32(c.wav, 40), 75u * 320) << "mode " << mode << " dtx " << dtx;
      EXPECT_TRUE(WavData(c.wav) == SoxPcm(track, "amr-nb")) << "mode " << mode << " dtx " << dtx;
    }
  }
}

TEST(ConvertAmrToWav, MatchesSoxWhenTheModeChangesInsideTheTrack) {
  // Frame i in mode (i / 5) % 8: every mode meets every other, with DTX's
  // comfort-noise frames in the quiet stretches.
  std::vector<int> modes;
  for (int i = 0; i < 40; ++i) modes.push_back(i / 5);
  const Bytes track = EncodeNarrowBand(NarrowSignal(), modes, true);
  std::vector<Bytes> frames = SplitFrames(track, 6, false);
  int sid = 0, noData = 0;
  for (const Bytes& f : frames) sid += (f[0] >> 3 & 15) == 8, noData += (f[0] >> 3 & 15) == 15;
  EXPECT_GT(sid, 0);  // the track really holds the frame kinds DTX sends
  EXPECT_GT(noData, 0);

  Converted c = Convert(track);
  ASSERT_EQ(c.result, 1);
  EXPECT_TRUE(WavData(c.wav) == SoxPcm(track, "amr-nb"));
}

TEST(ConvertAmrToWav, FrameTypesNineToFourteenRepeatThePreviousBlock) {
  std::vector<Bytes> frames = SplitFrames(EncodeNarrowBand(NarrowSignal(), 7, false), 6, false);
  frames.resize(20);
  // Frames 5 to 10 are replaced by one frame of each type 9 to 14.
  for (int type = 9; type <= 14; ++type) frames[size_t(type - 4)] = {uint8_t(type << 3 | 4)};
  // A first frame that is not decoded leaves silence.
  frames.insert(frames.begin(), Bytes{9 << 3 | 4});

  Converted c = Convert(JoinFrames("#!AMR\n", frames));
  ASSERT_EQ(c.result, 1);
  ASSERT_EQ(Le32(c.wav, 40), 21u * 320);
  EXPECT_EQ(Block(c.wav, 0, 320), Bytes(320, 0));
  const Bytes before = Block(c.wav, 5, 320);  // the block of frame 4
  EXPECT_NE(before, Bytes(320, 0));
  for (size_t i = 6; i <= 11; ++i) EXPECT_EQ(Block(c.wav, i, 320), before) << i;
  EXPECT_NE(Block(c.wav, 12, 320), before);
}

TEST(ConvertAmrToWav, BadFramesAndTruncatedTailsStillGiveWholeBlocks) {
  std::vector<Bytes> frames = SplitFrames(EncodeNarrowBand(NarrowSignal(), 5, false), 6, false);
  frames.resize(10);
  frames[3][0] &= ~0x04;  // quality bit cleared: decoded as a bad frame
  Bytes track = JoinFrames("#!AMR\n", frames);
  track.insert(track.end(), frames[4].begin(), frames[4].end() - 1);  // a cut last frame
  Converted c = Convert(track);
  EXPECT_EQ(c.result, 1);
  EXPECT_EQ(Le32(c.wav, 40), 10u * 320);

  // The frame whose quality bit is clear still goes to the decoder, which
  // decides what to make of it: the samples are exactly those that sox's
  // reader decodes from the same bytes, block for block.
  frames.resize(8);
  const Bytes bad = JoinFrames("#!AMR\n", frames);
  const Bytes samples = WavData(Convert(bad).wav);
  ASSERT_EQ(samples.size(), 8u * 320);
  EXPECT_EQ(samples, SoxPcm(bad, "amr-nb"));
}

TEST(ConvertAmrToWav, TwoChannelsShareTheRepeatRule) {
  std::vector<Bytes> a = SplitFrames(EncodeNarrowBand(NarrowSignal(), 7, false), 6, false);
  std::vector<Bytes> b = SplitFrames(EncodeNarrowBand(NarrowSignal(), 2, false), 6, false);
  const Bytes skip = {10 << 3 | 4};
  // Blocks: (a0 b0) (a1 skip) (skip b2) (a3 b3).
  std::vector<Bytes> frames = {a[0], b[0], a[1], skip, skip, b[2], a[3], b[3]};
  Bytes track = JoinFrames("#!AMR_MC1.0\n", {Bytes{0, 0, 0, 2}});
  for (const Bytes& f : frames) track.insert(track.end(), f.begin(), f.end());

  Converted c = Convert(track);
  ASSERT_EQ(c.result, 1);
  ASSERT_EQ(Le16(c.wav, 22), 2u);
  ASSERT_EQ(Le32(c.wav, 40), 4u * 640);
  auto channel = [&](size_t block, int k) {
    Bytes out;
    Bytes all = Block(c.wav, block, 640);
    for (size_t i = 0; i < 160; ++i)
      out.insert(out.end(), all.begin() + long(4 * i + 2 * size_t(k)), all.begin() + long(4 * i + 2 * size_t(k) + 2));
    return out;
  };
  EXPECT_NE(channel(1, 0), channel(0, 0));
  EXPECT_EQ(channel(1, 1), channel(0, 1));  // channel 1 repeats
  EXPECT_EQ(channel(2, 0), channel(1, 0));  // channel 0 skipped: both repeat
  EXPECT_EQ(channel(2, 1), channel(1, 1));
  EXPECT_NE(channel(3, 0), channel(2, 0));
}

TEST(ConvertAmrToWav, WideBandMatchesSox) {
  const Samples wide = TestSignal(1500, 16000);
  for (int mode : {0, 2, 8}) {
    for (bool dtx : {false, true}) {
      const Bytes track = EncodeWideBand(wide, mode, dtx);
      Converted c = Convert(track);
      ASSERT_EQ(c.result, 1);
      EXPECT_EQ(Le32(c.wav, 24), 16000u);
      EXPECT_EQ(Le32(c.wav, 28), 32000u);
      EXPECT_EQ(Le32(c.wav, 40), 75u * 640) << "mode " << mode;  // 320 decoded samples a block
      EXPECT_TRUE(WavData(c.wav) == SoxPcm(track, "amr-wb")) << "mode " << mode << " dtx " << dtx;
    }
  }
}

TEST(ConvertAmrToWav, WideBandReservedTypesRepeatThePreviousBlock) {
  std::vector<Bytes> frames = SplitFrames(EncodeWideBand(TestSignal(400, 16000), 4, false), 9, true);
  for (int type = 10; type <= 13; ++type) frames[size_t(type - 6)] = {uint8_t(type << 3 | 4)};
  frames[9] = {15 << 3 | 4};  // no data: decoded
  Converted c = Convert(JoinFrames("#!AMR-WB\n", frames));
  ASSERT_EQ(c.result, 1);
  ASSERT_EQ(Le32(c.wav, 40), uint32_t(frames.size()) * 640);
  const Bytes before = Block(c.wav, 3, 640);
  for (size_t i = 4; i <= 7; ++i) EXPECT_EQ(Block(c.wav, i, 640), before) << i;
  EXPECT_NE(Block(c.wav, 9, 640), before);
}

TEST(ConvertAmrTrackToWav, WritesWhatTheFileConversionWritesAndRefusesAlike) {
  const Bytes tracks[] = {
      EncodeNarrowBand(NarrowSignal(), {0, 4, 7}, true),
      EncodeWideBand(TestSignal(600, 16000), 8, false),
      {'#', '!', 'A', 'M', 'R', '\n'},
  };
  for (const Bytes& track : tracks) {
    TempDir dir;
    WriteFile(dir.File("t.amr"), track);
    ASSERT_EQ(ConvertAmrToWav(dir.File("t.amr").c_str(), dir.File("file.wav").c_str()), 1);
    ASSERT_EQ(ConvertAmrTrackToWav(track.data(), track.size(), dir.File("memory.wav").c_str()), 1);
    EXPECT_EQ(ReadFile(dir.File("memory.wav")), ReadFile(dir.File("file.wav")));
  }
  TempDir dir;
  const Bytes text = {'h', 'e', 'l', 'l', 'o'};
  EXPECT_EQ(ConvertAmrTrackToWav(text.data(), text.size(), dir.File("a.wav").c_str()), 0);
  EXPECT_FALSE(FileExists(dir.File("a.wav")));
  EXPECT_EQ(ConvertAmrTrackToWav(tracks[0].data(), tracks[0].size(), "/dev/full"), 0);
}
