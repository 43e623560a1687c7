// zrvtool thumbnail as a file manager runs it, a whole process per preview,
// on a 176 x 144 clip of a few MB with sound. `zrvtool frame` on the same
// clip (start, read, scan, write one frame) is the floor that no preview can
// go below. Counters: the children's CPU time per run.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <string>
#include <vector>

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

double ChildCpuMs() {
  rusage usage {};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

void RunProcesses(benchmark::State& state, const std::vector<std::string>& args) {
  const double before = ChildCpuMs();
  for (auto _ : state) {
    ProgramResult r = RunProgram(args);
    if (r.exitCode != 0) state.SkipWithError((args[0] + " failed: " + r.err).c_str());
  }
  state.counters["child_cpu_ms"] =
      benchmark::Counter(ChildCpuMs() - before, benchmark::Counter::kAvgIterations);
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
