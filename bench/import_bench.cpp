// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvtool import of a ten-minute 640 x 360 H.264/AAC video to 176 x 144 at
// 8 frames a second with an AMR-NB track, side by side with the same work
// done by the command lines: ffmpeg scaling, padding and encoding the
// frames as MJPEG and writing the sound as 8 kHz mono, and sox encoding that
// sound to AMR-NB at 12.2 kbit/s. Each iteration runs both, in turns, so
// that a load from elsewhere weighs on both alike; the counters are the
// medians of CPU time, wall-clock time and their ratios, with the load
// average seen (wall-clock figures mean something below about 1.5 on two
// cores). Then two imports at once, as the ZRV Changer runs a batch,
// against the same two in turn.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <future>

#include "bench/child_processes.h"
#include "tests/support/test_support.h"

namespace {

struct Fixture {
  TempDir dir;
  std::string video = dir.File("ten.mp4");
  Fixture() {
    const ProgramResult r = RunProgram(
        {"/usr/bin/ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
         "testsrc2=size=640x360:rate=25:duration=600", "-f", "lavfi", "-i",
         "sine=frequency=440:sample_rate=44100:duration=600", "-c:v", "libx264", "-preset",
         "veryfast", "-b:v", "800k", "-pix_fmt", "yuv420p", "-c:a", "aac", "-b:a", "96k", video});
    if (r.exitCode != 0) std::fprintf(stderr, "cannot make the video: %s\n", r.err.c_str());
  }
  std::string Out(const char* name) const { return dir.File(name); }
};

const Fixture& Shared() {
  static Fixture f;
  return f;
}

std::vector<std::string> ImportCommand(const char* output) {
  return {BuiltProgram("zrvtool"), "import", "--force", Shared().video, Shared().Out(output)};
}

// 640 x 360 into 176 x 144: 176 x 99 with 22 rows of bar above, as the import places it.
std::vector<std::vector<std::string>> CommandLines() {
  return {{"/usr/bin/ffmpeg", "-v", "error", "-y", "-i", Shared().video, "-map", "0:v", "-vf",
           "fps=8,scale=176:99,pad=176:144:0:22", "-c:v", "mjpeg", "-q:v", "5", "-f", "mjpeg",
           Shared().Out("f.mjpeg"), "-map", "0:a", "-ac", "1", "-ar", "8000", Shared().Out("f.wav")},
          {"/usr/bin/sox", Shared().Out("f.wav"), "-C", "7", Shared().Out("f.amr-nb")}};
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double LoadNow() {
  double load = 0;
  return ::getloadavg(&load, 1) == 1 ? load : -1;
}

void BM_ImportAgainstTheCommandLines(benchmark::State& state) {
  std::vector<double> ourCpu, ourWall, theirCpu, theirWall, cpuRatio, wallRatio;
  long ourPeak = 0, theirPeak = 0;
  double load = LoadNow();
  bool oursFirst = true;
  for (auto _ : state) {
    ChainCost ours, theirs;
    if (oursFirst) ours = RunChainOnce({ImportCommand("i.zrv")});
    theirs = RunChainOnce(CommandLines());
    if (!oursFirst) ours = RunChainOnce({ImportCommand("i.zrv")});
    oursFirst = !oursFirst;
    if (!ours.error.empty() || !theirs.error.empty()) {
      state.SkipWithError((ours.error + theirs.error).c_str());
      return;
    }
    ourCpu.push_back(ours.cpuMs);
    ourWall.push_back(ours.wallMs);
    theirCpu.push_back(theirs.cpuMs);
    theirWall.push_back(theirs.wallMs);
    cpuRatio.push_back(ours.cpuMs / theirs.cpuMs);
    wallRatio.push_back(ours.wallMs / theirs.wallMs);
    ourPeak = std::max(ourPeak, ours.peakKb);
    theirPeak = std::max(theirPeak, theirs.peakKb);
    load = std::max(load, LoadNow());
  }
  state.counters["zrv_cpu_ms"] = Median(ourCpu);
  state.counters["zrv_wall_ms"] = Median(ourWall);
  state.counters["ref_cpu_ms"] = Median(theirCpu);
  state.counters["ref_wall_ms"] = Median(theirWall);
  state.counters["cpu_ratio"] = Median(cpuRatio);
  state.counters["wall_ratio"] = Median(wallRatio);
  state.counters["zrv_peak_kb"] = double(ourPeak);
  state.counters["ref_peak_kb"] = double(theirPeak);
  state.counters["max_load"] = load;
}

// Two imports as the ZRV Changer runs them: each a process of its own, at
// once, against the same two one after the other.
void BM_TwoImportsAtOnceAgainstInTurn(benchmark::State& state) {
  std::vector<double> atOnce, inTurn;
  double load = LoadNow();
  for (auto _ : state) {
    const ChainCost turns = RunChainOnce({ImportCommand("a.zrv"), ImportCommand("b.zrv")});
    const auto start = std::chrono::steady_clock::now();
    auto first = std::async(std::launch::async, [] { return RunChainOnce({ImportCommand("a.zrv")}); });
    const ChainCost second = RunChainOnce({ImportCommand("b.zrv")});
    const ChainCost one = first.get();
    const double together = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (!turns.error.empty() || !one.error.empty() || !second.error.empty()) {
      state.SkipWithError((turns.error + one.error + second.error).c_str());
      return;
    }
    inTurn.push_back(turns.wallMs);
    atOnce.push_back(together);
    load = std::max(load, LoadNow());
  }
  state.counters["in_turn_wall_ms"] = Median(inTurn);
  state.counters["at_once_wall_ms"] = Median(atOnce);
  state.counters["wall_ratio"] = Median(atOnce) / Median(inTurn);
  state.counters["max_load"] = load;
}

}  // namespace

BENCHMARK(BM_ImportAgainstTheCommandLines)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_TwoImportsAtOnceAgainstInTurn)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK_MAIN();
