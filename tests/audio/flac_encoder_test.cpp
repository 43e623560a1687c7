// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The FLAC encoder against the reference decoder (flac --test and
// --decode): every frame's checksums, the STREAMINFO, and the samples back
// bit for bit, for signals that take each kind of subframe.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <random>

#include "audio/flac_encoder.h"
#include "tests/support/test_support.h"

namespace {

struct Signal {
  const char* name;
  int channels, rate;
  size_t instants;
  std::function<int16_t(size_t i, int channel)> sample;
};

// A .flac file of the encoder's frames behind its STREAMINFO.
Bytes EncodeFile(const Signal& s, const std::vector<int16_t>& samples) {
  FlacEncoder encoder(s.channels, s.rate);
  std::vector<Bytes> frames;
  for (size_t at = 0; at < s.instants; at += FlacEncoder::kBlockSize) {
    const int count = int(std::min<size_t>(FlacEncoder::kBlockSize, s.instants - at));
    frames.emplace_back();
    encoder.EncodeFrame(samples.data() + at * size_t(s.channels), count, frames.back());
  }
  Bytes file = {'f', 'L', 'a', 'C', 0x80, 0, 0, kFlacStreamInfoBytes};  // the last metadata block
  const auto info = encoder.StreamInfo();
  file.insert(file.end(), info.begin(), info.end());
  for (const Bytes& frame : frames) file.insert(file.end(), frame.begin(), frame.end());
  return file;
}

TEST(FlacEncoder, TheReferenceDecoderGivesBackEverySample) {
  std::mt19937 random(7);
  const auto noise = [&](int range) { return int16_t(std::uniform_int_distribution<int>(-range, range)(random)); };
  const Signal signals[] = {
      {"silence", 1, 8000, 10000, [](size_t, int) { return int16_t(0); }},
      // The AMR decoders' output: 13-bit speech in steps of 8.
      {"amr-like", 1, 8000, 30000,
       [&](size_t i, int) { return int16_t(8 * int(3000 * std::sin(double(i) / 9) + noise(40))); }},
      {"full-scale", 1, 16000, 9300, [](size_t i, int) { return int16_t(i % 3 ? -32768 : 32767); }},
      {"noise", 1, 8000, 4608, [&](size_t, int) { return noise(32767); }},
      // Two channels, rates coded in the header's extra bytes, and a last
      // frame of a few instants.
      {"stereo", 2, 11025, 4608 + 3,
       [&](size_t i, int c) { return int16_t(c ? noise(100) : int(20000 * std::sin(double(i) / 30))); }},
      {"tens of hertz", 1, 88200, 5000, [](size_t i, int) { return int16_t(i); }},
      {"rate only in the stream info", 1, 88201, 5000, [](size_t i, int) { return int16_t(i); }},
      // Frame numbers of two bytes.
      {"130 frames", 1, 8000, 130 * size_t(FlacEncoder::kBlockSize), [](size_t i, int) { return int16_t(i * 7); }},
  };
  TempDir dir;
  for (const Signal& s : signals) {
    SCOPED_TRACE(s.name);
    std::vector<int16_t> samples;
    for (size_t i = 0; i < s.instants; ++i)
      for (int c = 0; c < s.channels; ++c) samples.push_back(s.sample(i, c));
    const std::string flac = dir.File("a.flac"), raw = dir.File("a.raw");
    WriteFile(flac, EncodeFile(s, samples));

    const ProgramResult test = RunProgram({"/usr/bin/flac", "--test", "--silent", flac});
    EXPECT_EQ(test.exitCode, 0) << test.err;
    const ProgramResult info = RunProgram({"/usr/bin/metaflac", "--show-sample-rate", "--show-channels",
                                           "--show-total-samples", flac});
    EXPECT_EQ(info.out, std::to_string(s.rate) + "\n" + std::to_string(s.channels) + "\n" +
                            std::to_string(s.instants) + "\n");
    const ProgramResult decode = RunProgram({"/usr/bin/flac", "--decode", "--silent", "--force", "--force-raw-format",
                                             "--endian=little", "--sign=signed", "-o", raw, flac});
    ASSERT_EQ(decode.exitCode, 0) << decode.err;
    const Bytes back = ReadFile(raw);
    ASSERT_EQ(back.size(), samples.size() * 2);
    EXPECT_EQ(0, std::memcmp(back.data(), samples.data(), back.size()));
  }
}

}  // namespace
