// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "audio/wav_pcm.h"
#include "tests/audio/wav_samples.h"

namespace {

Bytes AsBytes(const std::vector<int16_t>& samples, size_t count) {
  Bytes b;
  for (size_t i = 0; i < count; ++i) {
    b.push_back(static_cast<uint8_t>(samples[i]));
    b.push_back(static_cast<uint8_t>(static_cast<uint16_t>(samples[i]) >> 8));
  }
  return b;
}

void Put32At(Bytes& b, size_t at, uint32_t v) {
  for (size_t i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

WavLoadResult LoadBytes(const Bytes& file, WavPcm& pcm) {
  TempDir dir;
  WriteFile(dir.File("t.wav"), file);
  return LoadWavPcm(dir.File("t.wav"), pcm);
}

}  // namespace

TEST(WavPcm, ReadsPcmFilesWithOrWithoutOtherChunks) {
  std::vector<int16_t> mono = {1, -1, 32767, -32768, 0, 1234};
  WavPcm pcm;
  ASSERT_EQ(LoadBytes(PcmWav(1, 8000, mono), pcm), WavLoadResult::Ok);
  EXPECT_EQ(pcm.channels, 1);
  EXPECT_EQ(pcm.sampleRate, 8000u);
  EXPECT_EQ(pcm.samples, AsBytes(mono, mono.size()));

  // Odd-sized chunks before "fmt " and after "data" carry a pad byte.
  std::vector<int16_t> stereo = CountingSamples(2, 5);
  ASSERT_EQ(LoadBytes(PcmWav(2, 44100, stereo, {{"LIST", Bytes(7, 'x')}, {"junk", {}}}, {{"id3 ", Bytes(3, 'y')}}), pcm),
            WavLoadResult::Ok);
  EXPECT_EQ(pcm.channels, 2);
  EXPECT_EQ(pcm.sampleRate, 44100u);
  EXPECT_EQ(pcm.FrameCount(), 5u);
  EXPECT_EQ(pcm.samples, AsBytes(stereo, stereo.size()));

  ASSERT_EQ(LoadBytes(PcmWav(1, 8000, {}), pcm), WavLoadResult::Ok);
  EXPECT_EQ(pcm.FrameCount(), 0u);
}

TEST(WavPcm, ReadsTheExtensibleFormatOnlyWithPcmSamples) {
  std::vector<int16_t> samples = CountingSamples(2, 4);
  Bytes file = PcmWav(2, 16000, samples);
  // "fmt " widened to 40 bytes: tag 0xFFFE, cbSize 22, valid bits 16, mask 3,
  // the PCM sub-format GUID.
  Bytes ext = {22, 0, 16, 0, 3, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
  file[20] = 0xFE;
  file[21] = 0xFF;
  Put32At(file, 16, 40);
  file.insert(file.begin() + 36, ext.begin(), ext.end());
  WavPcm pcm;
  ASSERT_EQ(LoadBytes(file, pcm), WavLoadResult::Ok);
  EXPECT_EQ(pcm.samples, AsBytes(samples, samples.size()));

  file[44] = 3;  // the IEEE float sub-format
  EXPECT_EQ(LoadBytes(file, pcm), WavLoadResult::Invalid);
}

TEST(WavPcm, TakesADataChunkAsFarAsTheFileGoes) {
  std::vector<int16_t> samples = CountingSamples(2, 10);
  Bytes file = PcmWav(2, 8000, samples);
  Put32At(file, 4, 36);  // sizes a writer never patched
  Put32At(file, 40, 0x7FFFFFFF);
  file.resize(file.size() - 3);  // and a last frame cut short
  WavPcm pcm;
  ASSERT_EQ(LoadBytes(file, pcm), WavLoadResult::Ok);
  EXPECT_EQ(pcm.samples, AsBytes(samples, 18));
}

TEST(WavPcm, RefusesFilesItCannotPlay) {
  Bytes good = PcmWav(1, 8000, {1, 2, 3, 4});
  struct Case {
    const char* what;
    size_t at;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"not RIFF", 0, {'R', 'I', 'F', 'X'}},     {"not WAVE", 8, {'A', 'V', 'I', ' '}},
      {"8-bit samples", 34, {8, 0}},             {"24-bit samples", 34, {24, 0}},
      {"float samples", 20, {3, 0}},             {"no channels", 22, {0, 0}},
      {"nine channels", 22, {9, 0}},             {"rate 0", 24, {0, 0, 0, 0}},
      {"block align off", 32, {4, 0}},           {"no data chunk", 36, {'d', 'a', 't', 'b'}},
      {"no format chunk", 12, {'f', 'm', 't', 'x'}},
  };
  for (const Case& c : cases) {
    Bytes file = good;
    std::copy(c.bytes.begin(), c.bytes.end(), file.begin() + static_cast<long>(c.at));
    WavPcm pcm;
    EXPECT_EQ(LoadBytes(file, pcm), WavLoadResult::Invalid) << c.what;
    EXPECT_TRUE(pcm.samples.empty() && pcm.channels == 0) << c.what;
  }
  WavPcm pcm;
  EXPECT_EQ(LoadBytes(Bytes(good.begin(), good.begin() + 30), pcm), WavLoadResult::Invalid);
  EXPECT_EQ(LoadBytes({}, pcm), WavLoadResult::Invalid);
}

TEST(WavPcm, ReportsPathsThatAreNoReadableFile) {
  TempDir dir;
  WavPcm pcm;
  EXPECT_EQ(LoadWavPcm(dir.File("missing.wav"), pcm), WavLoadResult::NotFound);
  EXPECT_EQ(LoadWavPcm(dir.File("missing/inner.wav"), pcm), WavLoadResult::NotFound);
  EXPECT_EQ(LoadWavPcm(dir.path(), pcm), WavLoadResult::Unreadable);
  // A FIFO without a writer would block a plain open for ever.
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  EXPECT_EQ(LoadWavPcm(dir.File("fifo"), pcm), WavLoadResult::Unreadable);
}
