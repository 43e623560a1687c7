// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Any bytes as 16-bit sound for the FLAC encoder: the first byte picks the
// channels and the rate, the rest, repeated to more than a whole block, are
// the samples. Every frame stays within the size the encoder reserves and
// starts with FLAC's sync code, and the stream info counts every instant.
#include <algorithm>
#include <cstring>
#include <vector>

#include "audio/flac_encoder.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  static constexpr int kRates[] = {8000, 16000, 11025, 88200, 88201, 192000, 655350, 1};
  const int channels = 1 + data[0] % FlacEncoder::kMaxChannels;
  const int rate = kRates[(data[0] / FlacEncoder::kMaxChannels) % std::size(kRates)];
  std::vector<int16_t> given((size - 1) / 2);
  std::memcpy(given.data(), data + 1, given.size() * 2);
  const size_t instants = FlacEncoder::kBlockSize + given.size() % 97;
  std::vector<int16_t> samples(instants * size_t(channels));
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = given[i % given.size()];

  FlacEncoder encoder(channels, rate);
  std::vector<uint8_t> frame;
  for (size_t at = 0; at < instants; at += FlacEncoder::kBlockSize) {
    const int count = int(std::min<size_t>(FlacEncoder::kBlockSize, instants - at));
    encoder.EncodeFrame(samples.data() + at * size_t(channels), count, frame);
    Require(frame.size() <= 18 + size_t(channels) * (2 + 2 * size_t(count)), "a frame beyond its bound");
    Require(frame.size() > 2 && frame[0] == 0xFF && frame[1] == 0xF8, "a frame without its sync code");
  }
  const auto info = encoder.StreamInfo();
  const uint64_t total = uint64_t(info[13] & 0xF) << 32 | uint64_t(info[14]) << 24 | uint64_t(info[15]) << 16 |
                         uint64_t(info[16]) << 8 | info[17];
  Require(total == instants, "the stream info miscounts the instants");
  return 0;
}
