// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvtool thumbnail as a file manager runs it, a whole process per preview,
// on a 176 x 144 clip of a few MB with sound. `zrvtool frame` on the same
// clip (start, read, scan, write one frame) is the floor that no preview can
// go below. Counters: the children's CPU time per run.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/child_processes.h"
#include "tests/support/test_support.h"

namespace {

struct Fixture {
  TempDir dir;
  std::string clip = dir.File("clip.zrv");
  Fixture() {
    // 100 seconds at 8 frames a second: 800 frames, about 4 MB.
    RunProgram({BuiltProgram("zrvtool"), "make", "--frames", "800", "--fps", "8", "--sound",
                "tone", clip});
  }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void BM_ThumbnailProcess(benchmark::State& state) {
  Fixture& f = Shared();
  RunProcesses(state, {BuiltProgram("zrvtool"), "thumbnail", "-s", std::to_string(state.range(0)),
                       f.clip, f.dir.File("thumb.png")});
}

void BM_FrameProcessFloor(benchmark::State& state) {
  Fixture& f = Shared();
  RunProcesses(state, {BuiltProgram("zrvtool"), "frame", f.clip, "0", f.dir.File("frame.jpg")});
}

}  // namespace

BENCHMARK(BM_ThumbnailProcess)->Arg(128)->Arg(256)->Arg(512)->Unit(benchmark::kMillisecond)
    ->MinTime(2)->UseRealTime();
BENCHMARK(BM_FrameProcessFloor)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK_MAIN();
