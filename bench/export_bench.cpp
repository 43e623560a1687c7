// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvtool export as a whole process on a ten-minute clip (176 x 144, 8
// frames a second, a 12.2 kbit/s track), side by side with what bounds it:
// MKV against zrvtool sound (the sound decode is its floor), zrvtool sound
// in turn against sox converting the bare track, MP4 against the
// ffmpeg command line doing the same job from the frames and track already
// split out. Peak memory is reported for a 2.5- and a 10-minute clip, to
// show that it grows with the clip's bytes only.
#include <benchmark/benchmark.h>

#include "bench/child_processes.h"
#include "export/export.h"
#include "tests/support/test_support.h"

namespace {

struct Clip {
  std::string path, frames, track, amr;
  int fps = 8;
  Clip(const TempDir& dir, const std::string& name, int seconds) {
    path = dir.File(name + ".zrv");
    frames = dir.File(name + ".mjpeg");
    track = dir.File(name + ".wav");
    amr = dir.File(name + ".amr-nb");
    const std::string count = std::to_string(seconds * fps);
    RunProgram({BuiltProgram("zrvtool"), "make", "--frames", count, "--fps", std::to_string(fps),
                "--size", "176x144", "--sound", "tone", path});
    RunProgram({BuiltProgram("zrvtool"), "sound", path, track});
    // The plain layout's frames are the clip's bytes up to its track.
    const ProgramResult info = RunProgram({BuiltProgram("zrvtool"), "info", "--json", path});
    const size_t at = info.out.find("\"audio_start\":");
    const size_t audioStart = std::stoul(info.out.substr(at + 14));
    Bytes bytes = ReadFile(path);
    WriteFile(amr, Bytes(bytes.begin() + long(audioStart), bytes.end()));
    bytes.resize(audioStart);
    WriteFile(frames, bytes);
  }
};

struct Fixture {
  TempDir dir;
  Clip tenMinutes{dir, "ten", 600};
  Clip quarter{dir, "quarter", 150};
};

Fixture& Shared() {
  static Fixture f;
  return f;
}

void RunProcesses(benchmark::State& state, const std::vector<std::string>& args) {
  double cpu = 0;
  long peak = 0;
  for (auto _ : state) {
    const ChainCost cost = RunChainOnce({args});
    if (!cost.error.empty()) {
      state.SkipWithError(cost.error.c_str());
      break;
    }
    cpu += cost.cpuMs;
    peak = std::max(peak, cost.peakKb);
  }
  state.counters["child_cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
  state.counters["peak_kb"] = double(peak);
}

std::string Out(const char* name) { return Shared().dir.File(name); }

void BM_ZrvtoolSound(benchmark::State& state) {
  RunProcesses(state, {BuiltProgram("zrvtool"), "sound", Shared().tenMinutes.path, Out("s.wav")});
}

// The same track, cut out of the clip beforehand, converted by sox.
void BM_SoxOnTheBareTrack(benchmark::State& state) {
  RunProcesses(state, {"/usr/bin/sox", Shared().tenMinutes.amr, Out("x.wav")});
}

void BM_ExportMkv(benchmark::State& state) {
  RunProcesses(state, {BuiltProgram("zrvtool"), "export", "--force", Shared().tenMinutes.path,
                       Out("e.mkv")});
}

void BM_ExportMkvQuarter(benchmark::State& state) {
  RunProcesses(state, {BuiltProgram("zrvtool"), "export", "--force", Shared().quarter.path,
                       Out("q.mkv")});
}

void BM_ExportMp4(benchmark::State& state) {
  RunProcesses(state, {BuiltProgram("zrvtool"), "export", "--force", Shared().tenMinutes.path,
                       Out("e.mp4")});
}

void BM_ExportMp4Quarter(benchmark::State& state) {
  RunProcesses(state, {BuiltProgram("zrvtool"), "export", "--force", Shared().quarter.path,
                       Out("q.mp4")});
}

// The same job by the ffmpeg command line: same encoder, preset, rate factor
// and sound bit rate, from the frames and the converted track.
void BM_FfmpegMp4(benchmark::State& state) {
  const Clip& c = Shared().tenMinutes;
  RunProcesses(state, {"/usr/bin/ffmpeg", "-v", "error", "-y", "-f", "mjpeg", "-framerate",
                       std::to_string(c.fps), "-i", c.frames, "-i", c.track, "-c:v", "libx264",
                       "-preset", "medium", "-crf", std::to_string(kDefaultCrf), "-c:a", "aac",
                       "-b:a", "32k", "-movflags", "+faststart", Out("f.mp4")});
}

}  // namespace

BENCHMARK(BM_SoxOnTheBareTrack)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_ZrvtoolSound)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_ExportMkv)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_ExportMkvQuarter)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_ExportMp4)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_FfmpegMp4)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_ExportMp4Quarter)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK_MAIN();
