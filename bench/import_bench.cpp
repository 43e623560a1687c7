// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvtool import of a ten-minute 640 x 360 H.264/AAC video to 176 x 144 at
// 8 frames a second with an AMR-NB track, side by side with the same work
// done by the command lines: ffmpeg scaling, padding and encoding the
// frames as MJPEG and writing the sound as 8 kHz mono, and sox encoding that
// sound to AMR-NB at 12.2 kbit/s. CPU time of the processes and their peak
// memory.
#include <benchmark/benchmark.h>

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

void BM_ZrvtoolImport(benchmark::State& state) {
  RunProcessChain(state, {{BuiltProgram("zrvtool"), "import", "--force", Shared().video,
                           Shared().Out("i.zrv")}});
}

// 640 x 360 into 176 x 144: 176 x 99 with 22 rows of bar above, as the import places it.
void BM_FfmpegAndSox(benchmark::State& state) {
  RunProcessChain(state, {{"/usr/bin/ffmpeg", "-v", "error", "-y", "-i", Shared().video, "-map",
                           "0:v", "-vf", "fps=8,scale=176:99,pad=176:144:0:22", "-c:v", "mjpeg",
                           "-q:v", "5", "-f", "mjpeg", Shared().Out("f.mjpeg"), "-map", "0:a",
                           "-ac", "1", "-ar", "8000", Shared().Out("f.wav")},
                          {"/usr/bin/sox", Shared().Out("f.wav"), "-C", "7", Shared().Out("f.amr-nb")}});
}

}  // namespace

BENCHMARK(BM_ZrvtoolImport)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_FfmpegAndSox)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK_MAIN();
