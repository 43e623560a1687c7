// The player's cost per frame shown, and its time to the first frame of a
// long clip against the work it cannot avoid (reading the file, converting
// its sound).
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

void BM_TimeToFirstFrame(benchmark::State& state) {
  const std::string clip = Clip("long.zrv", kLongClip);
  for (auto _ : state) {
    // A fresh window each time: the first open has no clip to close.
    state.PauseTiming();
    auto window = std::make_unique<CPlayerDlg>();
    window->OnInitDialog();
    window->m_strPendingPath = clip;
    state.ResumeTiming();
    if (!window->OnOpen()) state.SkipWithError("the clip did not open");
    state.PauseTiming();
    window.reset();
    state.ResumeTiming();
  }
}

void BM_ReadAndConvertOnly(benchmark::State& state) {
  const std::string clip = Clip("long.zrv", kLongClip);
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
}

}  // namespace

BENCHMARK(BM_ShowFrame)->Args({176, 144})->Args({640, 480})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TimeToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ReadAndConvertOnly)->Unit(benchmark::kMillisecond)->Iterations(5);

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
