#include <gtest/gtest.h>

#include <sys/stat.h>

#include "audio/wav_pcm.h"
#include "tests/audio/wav_samples.h"
#include "tests/support/test_support.h"

namespace {

Bytes AsBytes(const std::vector<int16_t>& samples) {
  Bytes b;
  for (int16_t s : samples) {
    b.push_back(static_cast<uint8_t>(s));
    b.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8));
  }
  return b;
}

void Put32At(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Loads `file` written into a fresh folder.
WavLoadResult LoadBytes(const Bytes& file, WavPcm& pcm) {
  TempDir dir;
  WriteFile(dir.File("t.wav"), file);
  return LoadWavPcm(dir.File("t.wav"), pcm);
}

}  // namespace

TEST(WavPcm, ReadsTheCanonicalFileOfTheWriter) {
  std::vector<int16_t> samples = {1, -1, 32767, -32768, 0, 1234};
  WavPcm pcm;
  ASSERT_EQ(LoadBytes(PcmWav(1, 8000, samples), pcm), WavLoadResult::Ok);
  EXPECT_EQ(pcm.channels, 1);
  EXPECT_EQ(pcm.sampleRate, 8000u);
  EXPECT_EQ(pcm.FrameCount(), 6u);
  EXPECT_EQ(pcm.samples, AsBytes(samples));
}

TEST(WavPcm, SkipsOtherChunksAndTheirPadBytes) {
  std::vector<int16_t> samples = CountingSamples(2, 5);
  Bytes file = PcmWav(2, 44100, samples, {{"LIST", Bytes(7, 'x')}, {"junk", {}}},
                      {{"id3 ", Bytes(3, 'y')}});
  WavPcm pcm;
  ASSERT_EQ(LoadBytes(file, pcm), WavLoadResult::Ok);
  EXPECT_EQ(pcm.channels, 2);
  EXPECT_EQ(pcm.sampleRate, 44100u);
  EXPECT_EQ(pcm.samples, AsBytes(samples));
}

TEST(WavPcm, ReadsTheExtensibleFormatWithPcmSamples) {
  std::vector<int16_t> samples = CountingSamples(2, 4);
  Bytes file = PcmWav(2, 16000, samples);
  // Widen "fmt " from 16 to 40 bytes: tag 0xFFFE, cbSize 22, valid bits 16,
  // mask 3 and the PCM sub-format GUID.
  Bytes ext = {22, 0, 16, 0, 3, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
  file[20] = 0xFE;
  file[21] = 0xFF;
  Put32At(file, 16, 40);
  file.insert(file.begin() + 36, ext.begin(), ext.end());
  WavPcm pcm;
  ASSERT_EQ(LoadBytes(file, pcm), WavLoadResult::Ok);
  EXPECT_EQ(pcm.samples, AsBytes(samples));

  file[44] = 3;  // IEEE float sub-format
  EXPECT_EQ(LoadBytes(file, pcm), WavLoadResult::Invalid);
}

TEST(WavPcm, TakesADataChunkAsFarAsTheFileGoes) {
  std::vector<int16_t> samples = CountingSamples(2, 10);
  Bytes file = PcmWav(2, 8000, samples);
  Put32At(file, 40, 0x7FFFFFFF);  // a writer that never patched its sizes
  Put32At(file, 4, 36);
  file.resize(file.size() - 3);  // and a last frame cut short
  WavPcm pcm;
  ASSERT_EQ(LoadBytes(file, pcm), WavLoadResult::Ok);
  EXPECT_EQ(pcm.FrameCount(), 9u);
  EXPECT_EQ(pcm.samples, AsBytes(std::vector<int16_t>(samples.begin(), samples.begin() + 18)));
}

TEST(WavPcm, AnEmptyDataChunkIsAFileOfNoFrames) {
  WavPcm pcm;
  ASSERT_EQ(LoadBytes(PcmWav(1, 8000, {}), pcm), WavLoadResult::Ok);
  EXPECT_EQ(pcm.FrameCount(), 0u);
}

TEST(WavPcm, RefusesFilesItCannotPlay) {
  Bytes good = PcmWav(1, 8000, {1, 2, 3, 4});
  struct Case {
    const char* what;
    size_t at;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"not RIFF", 0, {'R', 'I', 'F', 'X'}},
      {"not WAVE", 8, {'A', 'V', 'I', ' '}},
      {"8-bit samples", 34, {8, 0}},
      {"24-bit samples", 34, {24, 0}},
      {"format tag 3 (float)", 20, {3, 0}},
      {"no channels", 22, {0, 0}},
      {"nine channels", 22, {9, 0}},
      {"rate 0", 24, {0, 0, 0, 0}},
      {"block align off", 32, {4, 0}},
      {"no data chunk", 36, {'d', 'a', 't', 'b'}},
      {"no format chunk", 12, {'f', 'm', 't', 'x'}},
  };
  for (const Case& c : cases) {
    Bytes file = good;
    std::copy(c.bytes.begin(), c.bytes.end(), file.begin() + static_cast<long>(c.at));
    WavPcm pcm;
    EXPECT_EQ(LoadBytes(file, pcm), WavLoadResult::Invalid) << c.what;
    EXPECT_TRUE(pcm.samples.empty()) << c.what;
    EXPECT_EQ(pcm.channels, 0) << c.what;
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
  // A FIFO with no writer would block a plain open for ever.
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  EXPECT_EQ(LoadWavPcm(dir.File("fifo"), pcm), WavLoadResult::Unreadable);
}
