// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include <gtest/gtest.h>

#include <string>

#include "audio/wav_writer.h"
#include "tests/audio/amr_tracks.h"

namespace {

void ExpectCanonicalHeader(const Bytes& wav, uint16_t channels, uint32_t rate, uint32_t data) {
  ASSERT_GE(wav.size(), 44u);
  EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
  EXPECT_EQ(Le32(wav, 4), 36 + data);
  EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(Le32(wav, 16), 16u);
  EXPECT_EQ(Le16(wav, 20), 1u);
  EXPECT_EQ(Le16(wav, 22), channels);
  EXPECT_EQ(Le32(wav, 24), rate);
  EXPECT_EQ(Le32(wav, 28), rate * channels * 2);
  EXPECT_EQ(Le16(wav, 32), channels * 2);
  EXPECT_EQ(Le16(wav, 34), 16u);
  EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
  EXPECT_EQ(Le32(wav, 40), data);
  EXPECT_EQ(wav.size(), 44 + data);
}

}  // namespace

TEST(WavWriter, HeaderSizesBeforeAndAfterClose) {
  TempDir dir;
  const std::string path = dir.File("a.wav");
  WavWriter* writer = WavCreate(path.c_str(), 1, 16, 8000);
  ASSERT_NE(writer, nullptr);
  ASSERT_EQ(WavClose(writer), 1);
  ExpectCanonicalHeader(ReadFile(path), 1, 8000, 0);

  Samples samples(160);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = int16_t(i * 300 - 24000);
  const short* channels[] = {samples.data()};
  writer = WavCreate(path.c_str(), 1, 16, 8000);  // truncates the file
  ASSERT_NE(writer, nullptr);
  ASSERT_EQ(WavWriteSamples(writer, channels, 160, 1), 1);
  EXPECT_EQ(channels[0], samples.data());  // the caller's pointer is left alone
  std::fflush(writer->stream);
  Bytes unpatched = ReadFile(path);
  EXPECT_EQ(Le32(unpatched, 4), 36u);  // provisional sizes until the close
  EXPECT_EQ(Le32(unpatched, 40), 0u);
  ASSERT_EQ(WavClose(writer), 1);

  Bytes wav = ReadFile(path);
  ExpectCanonicalHeader(wav, 1, 8000, 320);
  EXPECT_EQ(wav.size(), 364u);
  EXPECT_EQ(Le32(wav, 4), 356u);
  for (size_t i = 0; i < samples.size(); ++i)
    ASSERT_EQ(int16_t(Le16(wav, 44 + 2 * i)), samples[i]) << i;  // little-endian
}

TEST(WavWriter, InterleavesChannels) {
  TempDir dir;
  const std::string path = dir.File("a.wav");
  WavWriter* writer = WavCreate(path.c_str(), 2, 16, 16000);
  ASSERT_NE(writer, nullptr);
  const short left[] = {1, 2}, right[] = {10, 20};
  const short* channels[] = {left, right};
  ASSERT_EQ(WavWriteSamples(writer, channels, 2, 2), 1);
  ASSERT_EQ(WavWriteSamples(writer, channels, 0, 2), 1);  // nothing to write
  ASSERT_EQ(WavClose(writer), 1);
  Bytes wav = ReadFile(path);
  ExpectCanonicalHeader(wav, 2, 16000, 8);
  EXPECT_EQ(Le32(wav, 28), 64000u);
  EXPECT_EQ(Bytes(wav.begin() + 44, wav.end()), (Bytes{1, 0, 10, 0, 2, 0, 20, 0}));
}

TEST(WavWriter, RefusesAChannelCountItCannotWrite) {
  TempDir dir;
  const std::string path = dir.File("a.wav");
  short samples[16] = {};
  const short* channels[13];
  for (auto& c : channels) c = samples;

  WavWriter* writer = WavCreate(path.c_str(), 1, 16, 8000);
  ASSERT_NE(writer, nullptr);
  EXPECT_EQ(WavWriteSamples(writer, channels, 16, 2), 0);
  EXPECT_EQ(WavWriteSamples(writer, channels, 16, 0), 0);
  ASSERT_EQ(WavClose(writer), 1);
  ExpectCanonicalHeader(ReadFile(path), 1, 8000, 0);

  writer = WavCreate(path.c_str(), 13, 16, 8000);  // more than one call can take
  ASSERT_NE(writer, nullptr);
  EXPECT_EQ(WavWriteSamples(writer, channels, 16, 13), 0);
  ASSERT_EQ(WavClose(writer), 1);
  EXPECT_EQ(ReadFile(path).size(), 44u);
}

TEST(WavWriter, RefusesPathsAndParametersItCannotWrite) {
  TempDir dir;
  EXPECT_EQ(WavCreate(dir.File("no/such/dir/a.wav").c_str(), 1, 16, 8000), nullptr);
  EXPECT_EQ(WavCreate(dir.path().c_str(), 1, 16, 8000), nullptr);
  const std::string path = dir.File("a.wav");
  EXPECT_EQ(WavCreate(path.c_str(), 1, 8, 8000), nullptr);   // samples are 16-bit
  EXPECT_EQ(WavCreate(path.c_str(), 1, 32, 8000), nullptr);  // would read past each sample
  EXPECT_EQ(WavCreate(path.c_str(), 0, 16, 8000), nullptr);
  EXPECT_EQ(WavCreate(path.c_str(), 1, 16, 0), nullptr);
  EXPECT_EQ(WavCreate(path.c_str(), 12, 16, 1 << 30), nullptr);  // byte rate beyond 32 bits
  EXPECT_FALSE(FileExists(path));
}

TEST(WavWriter, CloseReportsSamplesThatNeverReachedTheFile) {
  // /dev/full accepts the open and the buffered writes, and fails the flush.
  WavWriter* writer = WavCreate("/dev/full", 1, 16, 8000);
  ASSERT_NE(writer, nullptr);
  // More than the stream's buffer holds, so that some writes fail at once.
  Samples samples(80000);
  const short* channels[] = {samples.data()};
  ASSERT_EQ(WavWriteSamples(writer, channels, 80000, 1), 1);
  // Only what the stream took is counted: far less than the 160000 bytes.
  EXPECT_LT(WavHeaderField32(writer->header, WAV_DATA_SIZE), 160000u);
  EXPECT_EQ(WavClose(writer), 0);
}

TEST(WavWriter, StopsCountingWhereTheRiffSizeWouldOverflow) {
  TempDir dir;
  WavWriter* writer = WavCreate(dir.File("a.wav").c_str(), 1, 16, 8000);
  ASSERT_NE(writer, nullptr);
  // Pretend that almost 4 GiB of samples are in the file already.
  const uint32_t nearlyFull = 0xFFFFFFFFu - 36 - 3;
  for (int i = 0; i < 4; ++i) writer->header[WAV_DATA_SIZE + i] = uint8_t(nearlyFull >> (8 * i));
  short samples[4] = {};
  const short* channels[] = {samples};
  ASSERT_EQ(WavWriteSamples(writer, channels, 4, 1), 1);
  EXPECT_EQ(WavHeaderField32(writer->header, WAV_DATA_SIZE), nearlyFull + 2);  // one frame fit
  ASSERT_EQ(WavClose(writer), 1);
  EXPECT_EQ(Le32(ReadFile(dir.File("a.wav")), 4), 0xFFFFFFFFu - 1);
}
