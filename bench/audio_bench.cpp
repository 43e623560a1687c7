// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Converting a ten-minute 12.2 kbit/s AMR track to WAV, against a bare loop
// of the decoder over the same frames held in memory; and zrvtool sound
// against sox as whole processes on the same track.
#include <benchmark/benchmark.h>

#include <algorithm>

#include <opencore-amrnb/interf_dec.h>

#include "audio/amr_to_wav.h"
#include "bench/child_processes.h"
#include "tests/audio/amr_tracks.h"

namespace {

constexpr int kTrackMs = 10 * 60 * 1000;

struct Fixture {
  TempDir dir;
  Bytes track;
  std::vector<Bytes> frames;
  std::string amrPath, soxInput, clipPath, wavPath;

  Fixture() {
    track = EncodeNarrowBand(TestSignal(kTrackMs, 8000), 7, false);
    frames = SplitFrames(track, 6, false);
    amrPath = dir.File("track.amr");
    soxInput = dir.File("track.amr-nb");
    clipPath = dir.File("clip.zrv");
    wavPath = dir.File("out.wav");
    WriteFile(amrPath, track);
    WriteFile(soxInput, track);
    // A clip of two tiny frames in front of the track.
    const Bytes frame = {0xFF, 0xD8, 0, 0, 0, 0, 0xFF, 0xD9};
    Bytes clip(2 * frame.size() + track.size());
    std::copy(frame.begin(), frame.end(), clip.begin());
    std::copy(frame.begin(), frame.end(), clip.begin() + ptrdiff_t(frame.size()));
    std::copy(track.begin(), track.end(), clip.begin() + ptrdiff_t(2 * frame.size()));
    WriteFile(clipPath, clip);
  }
};

Fixture& Shared() {
  static Fixture f;
  return f;
}

void SetFrames(benchmark::State& state) {
  state.counters["frames"] = double(Shared().frames.size());
}

void BM_ConvertAmrToWav(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) {
    int ok = ConvertAmrToWav(f.amrPath.c_str(), f.wavPath.c_str());
    if (!ok) state.SkipWithError("conversion failed");
  }
  SetFrames(state);
}

void BM_BareDecodeLoop(benchmark::State& state) {
  Fixture& f = Shared();
  short samples[160];
  for (auto _ : state) {
    void* decoder = Decoder_Interface_init();
    for (const Bytes& frame : f.frames) {
      Decoder_Interface_Decode(decoder, frame.data(), samples, 0);
      benchmark::DoNotOptimize(samples);
    }
    Decoder_Interface_exit(decoder);
  }
  SetFrames(state);
}

void RunProcessesWithFrames(benchmark::State& state, const std::vector<std::string>& args) {
  RunProcesses(state, args);
  SetFrames(state);
}

void BM_ZrvtoolSoundProcess(benchmark::State& state) {
  Fixture& f = Shared();
  RunProcessesWithFrames(state, {BuiltProgram("zrvtool"), "sound", f.clipPath, f.wavPath});
}

void BM_SoxProcess(benchmark::State& state) {
  Fixture& f = Shared();
  RunProcessesWithFrames(state, {"/usr/bin/sox", f.soxInput, f.wavPath});
}

}  // namespace

BENCHMARK(BM_ConvertAmrToWav)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_BareDecodeLoop)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ZrvtoolSoundProcess)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_SoxProcess)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK_MAIN();
