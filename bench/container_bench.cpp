// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Indexing speed against memchr over the same clip-like buffer.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "container/frame_index.h"

namespace {

constexpr size_t kClipBytes = 64u << 20;

// Frames of about 5 KB: FF D8 and a header, then entropy-coded data with an
// FF (followed by a stuffed 00) about once every 200 bytes, then FF D9.
const std::vector<uint8_t>& ClipLikeBuffer() {
  static const std::vector<uint8_t> buffer = [] {
    std::vector<uint8_t> b(kClipBytes);
    std::mt19937_64 rng(42);
    size_t i = 0;
    while (i + 6000 < b.size()) {
      const uint8_t header[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F'};
      std::memcpy(&b[i], header, sizeof header);
      size_t end = i + 4500 + rng() % 1000;
      for (i += sizeof header; i < end; ++i) {
        uint8_t v = static_cast<uint8_t>(rng());
        if (v == 0xFF || v == '#') v = 0x7F;
        if (rng() % 200 == 0) {
          b[i++] = 0xFF;
          v = 0x00;
        }
        b[i] = v;
      }
      b[i++] = 0xFF;
      b[i++] = 0xD9;
    }
    return b;
  }();
  return buffer;
}

void BM_BuildFrameIndex(benchmark::State& state) {
  const auto& b = ClipLikeBuffer();
  static FrameIndex index;
  for (auto _ : state) {
    BuildFrameIndex(b.data(), static_cast<uint32_t>(b.size()), index);
    benchmark::DoNotOptimize(index.frameCount);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(b.size()));
  state.counters["frames"] = index.frameCount;
}

void BM_MemchrFF(benchmark::State& state) {
  const auto& b = ClipLikeBuffer();
  for (auto _ : state) {
    size_t hits = 0;
    const uint8_t* p = b.data();
    const uint8_t* end = p + b.size();
    while ((p = static_cast<const uint8_t*>(std::memchr(p, 0xFF, size_t(end - p))))) {
      ++hits;
      ++p;
    }
    benchmark::DoNotOptimize(hits);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(b.size()));
}

}  // namespace

BENCHMARK(BM_BuildFrameIndex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemchrFF)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
