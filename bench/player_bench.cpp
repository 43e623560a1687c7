// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The player's cost per frame shown, and its time to the first frame of a
// ten-minute and a two-hour clip, side by side with what opening cost while
// the sound was converted first (reading, indexing, converting) and with
// what reading and indexing the file whole before the first frame cost; and
// its time until the frame count is shown, read and indexed in the
// background meanwhile.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <memory>
#include <string>

#include "audio/amr_to_wav.h"
#include "container/file_block.h"
#include "container/frame_index.h"
#include "image/software_dc.h"
#include "player/frame_draw.h"
#include "player/player_dlg.h"
#include "player/temp_dir.h"
#include "tests/support/test_support.h"

namespace {

TempDir& Work() {
  static TempDir dir;
  return dir;
}

// A clip made once per run by zrvtool make.
std::string Clip(const std::string& name, const std::vector<std::string>& options) {
  const std::string path = Work().File(name);
  if (!FileExists(path)) {
    std::vector<std::string> args = {BuiltProgram("zrvtool"), "make"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(path);
    if (RunProgram(args).exitCode != 0) std::abort();
  }
  return path;
}

void BM_ShowFrame(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  const std::string clip = Clip("frames" + size + ".zrv", {"--frames", "8", "--size", size});
  FileBlock bytes;
  ReadWholeFile(clip, bytes);
  static FrameIndex index;
  BuildFrameIndex(bytes.data(), static_cast<uint32_t>(bytes.size()), index);
  PrivateTempDir temp;
  temp.Create(Work().path());
  CSoftwareDC dc(348, 216);
  uint32_t k = 0;
  for (auto _ : state) {
    // What ShowFrame does: frame file, decode, draw.
    DrawFrame(bytes.data(), index, k, temp.File("zrvplayer_tmp.jpg"), dc, 1);
    k = (k + 1) % index.frameCount;
  }
}

// Ten minutes at 8 frames a second, with sound.
const std::vector<std::string> kLongClip = {"--frames", "4800", "--fps", "8", "--sound", "tone"};

// The ten-minute clip, or that clip's frames and track each `times` over in
// one clip (12: two hours).
std::string LongClip(int times) {
  const std::string ten = Clip("long.zrv", kLongClip);
  if (times == 1) return ten;
  const std::string path = Work().File("long" + std::to_string(times) + ".zrv");
  if (FileExists(path)) return path;
  const Bytes clip = ReadFile(ten);
  FrameIndex index;
  BuildFrameIndex(clip.data(), static_cast<uint32_t>(clip.size()), index);
  const size_t magic = 6;  // "#!AMR\n"
  Bytes out;
  for (int i = 0; i < times; ++i) out.insert(out.end(), clip.begin(), clip.begin() + index.audioStart);
  out.insert(out.end(), clip.begin() + index.audioStart, clip.begin() + index.audioStart + magic);
  for (int i = 0; i < times; ++i)
    out.insert(out.end(), clip.begin() + index.audioStart + magic, clip.begin() + index.audioEnd + 1);
  WriteFile(path, out);
  return path;
}

void SetLabel(benchmark::State& state) {
  state.SetLabel(state.range(0) == 1 ? "10 min" : std::to_string(state.range(0) * 10) + " min");
}

// Opens the clip in a fresh window each time (the first open has no clip to
// close), up to the first frame or, with `untilFrameCount`, until the rest of
// the clip is read and indexed in the background and the status line, slider
// and pace are set.
void OpenInFreshWindows(benchmark::State& state, bool untilFrameCount) {
  const std::string clip = LongClip(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    auto window = std::make_unique<CPlayerDlg>();
    window->OnInitDialog();
    window->m_strPendingPath = clip;
    state.ResumeTiming();
    if (!window->OnOpen()) state.SkipWithError("the clip did not open");
    while (untilFrameCount && window->session().indexing)
      QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    state.PauseTiming();
    window.reset();
    state.ResumeTiming();
  }
  SetLabel(state);
}

void BM_TimeToFirstFrame(benchmark::State& state) { OpenInFreshWindows(state, false); }
void BM_TimeToFrameCount(benchmark::State& state) { OpenInFreshWindows(state, true); }

// What every open cost before the first frame when the file was read whole
// and indexed first.
void BM_ReadAndIndexOnly(benchmark::State& state) {
  const std::string clip = LongClip(static_cast<int>(state.range(0)));
  static FrameIndex index;
  for (auto _ : state) {
    FileBlock bytes;
    ReadWholeFile(clip, bytes);
    BuildFrameIndex(bytes.data(), static_cast<uint32_t>(bytes.size()), index);
    benchmark::DoNotOptimize(index.frameCount);
  }
  SetLabel(state);
}

// What opening cost when the whole track was converted before the first frame.
void BM_ReadAndConvertOnly(benchmark::State& state) {
  const std::string clip = LongClip(static_cast<int>(state.range(0)));
  static FrameIndex index;
  for (auto _ : state) {
    FileBlock bytes;
    ReadWholeFile(clip, bytes);
    BuildFrameIndex(bytes.data(), static_cast<uint32_t>(bytes.size()), index);
    const std::string amr = Work().File("alone.amr"), wav = Work().File("alone.wav");
    std::FILE* f = std::fopen(amr.c_str(), "wb");
    std::fwrite(bytes.data() + index.audioStart, 1, index.audioEnd - index.audioStart + 1, f);
    std::fclose(f);
    ConvertAmrToWav(amr.c_str(), wav.c_str());
  }
  SetLabel(state);
}

}  // namespace

BENCHMARK(BM_ShowFrame)->Args({176, 144})->Args({640, 480})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TimeToFirstFrame)->Arg(1)->Arg(12)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TimeToFrameCount)->Arg(1)->Arg(12)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ReadAndIndexOnly)->Arg(1)->Arg(12)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ReadAndConvertOnly)->Arg(1)->Arg(12)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  setenv("PULSE_SERVER", "unix:/nonexistent/zrvplayer-bench", 0);
  setenv("XDG_DATA_HOME", Work().File("share").c_str(), 1);
  setenv("TMP", Work().path().c_str(), 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
