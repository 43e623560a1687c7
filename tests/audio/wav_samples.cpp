// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tests/audio/wav_samples.h"

#include <stdexcept>

namespace {

void Put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

void PutChunk(Bytes& b, const std::string& id, const Bytes& body) {
  b.insert(b.end(), id.begin(), id.end());
  Put32(b, static_cast<uint32_t>(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  if (body.size() % 2) b.push_back(0);
}

}  // namespace

Bytes PcmWav(uint16_t channels, uint32_t rate, const std::vector<int16_t>& samples,
             const std::vector<ExtraChunk>& before, const std::vector<ExtraChunk>& after) {
  Bytes fmt;
  Put16(fmt, 1);
  Put16(fmt, channels);
  Put32(fmt, rate);
  Put32(fmt, rate * channels * 2);
  Put16(fmt, channels * 2u);
  Put16(fmt, 16);
  Bytes data;
  for (int16_t s : samples) Put16(data, static_cast<uint16_t>(s));

  Bytes body = {'W', 'A', 'V', 'E'};
  for (const ExtraChunk& c : before) PutChunk(body, c.id, c.body);
  PutChunk(body, "fmt ", fmt);
  PutChunk(body, "data", data);
  for (const ExtraChunk& c : after) PutChunk(body, c.id, c.body);

  Bytes file = {'R', 'I', 'F', 'F'};
  Put32(file, static_cast<uint32_t>(body.size()));
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

std::vector<int16_t> CountingSamples(uint16_t channels, uint32_t frames) {
  if (frames > 32767) throw std::invalid_argument("a counting file holds at most 32767 frames");
  std::vector<int16_t> samples;
  for (uint32_t i = 0; i < frames; ++i) {
    for (uint16_t c = 0; c < channels; ++c)
      samples.push_back(static_cast<int16_t>(c == 1 ? -int(i + 1) : int(i + 1)));
  }
  return samples;
}

std::vector<int16_t> Samples16(const Bytes& raw) {
  std::vector<int16_t> samples;
  for (size_t i = 0; i + 1 < raw.size(); i += 2)
    samples.push_back(static_cast<int16_t>(raw[i] | raw[i + 1] << 8));
  return samples;
}

std::vector<PositionRun> CountingRuns(const std::vector<int16_t>& emitted, uint16_t channels) {
  std::vector<PositionRun> runs;
  for (size_t i = 0; i + channels <= emitted.size(); i += channels) {
    if (emitted[i] == 0) continue;
    uint32_t frame = static_cast<uint32_t>(emitted[i] - 1);
    if (channels == 2 && emitted[i + 1] != -emitted[i])
      throw std::runtime_error("channels out of step at sample " + std::to_string(i));
    if (!runs.empty() && runs.back().first + runs.back().count == frame)
      ++runs.back().count;
    else
      runs.push_back({frame, 1});
  }
  return runs;
}
