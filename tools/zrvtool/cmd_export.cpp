// zrvtool export: clips to MP4 or MKV files.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

#include "export/export.h"
#include "tools/zrvtool/commands.h"
#include "tools/zrvtool/export_usage.h"
#include "tools/zrvtool/export_report.h"

namespace {

// Set by Ctrl-C (or a termination request); the export stops at the next
// frame and removes its unfinished file.
std::atomic<bool> g_interrupted{false};
std::atomic<int> g_signal{0};

void OnInterrupt(int signal) {
  g_signal.store(signal);
  g_interrupted.store(true);
}

// A signal that was ignored when the program started stays ignored: that is
// how `nohup` and a shell's background jobs keep a program running.
void CatchInterrupts() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction before {};
    if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
}

// Ends the process by the signal that interrupted it, as the shell expects.
[[noreturn]] void DieOfInterrupt() {
  const int signal = g_signal.load();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
  _exit(128 + signal);
}

struct ExportRequest {
  ExportOptions options;
  bool json = false;
  bool crfGiven = false;
  std::string format;  // --to
  std::string outDir;  // --out-dir
  std::vector<std::string> paths;
};

int ParseArguments(int argc, char** argv, ExportRequest& request) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--force") {
      request.options.force = true;
    } else if (arg == "--json") {
      request.json = true;
    } else if (arg == "--crf" || arg == "--to" || arg == "--out-dir") {
      if (!hasValue) return UsageError(kExportCommand, arg + " needs a value");
      const std::string value = argv[++i];
      if (arg == "--crf") {
        uint32_t crf = 0;
        if (!ParseUint32(value, crf) || crf > uint32_t(kMaxCrf))
          return UsageError(kExportCommand,
                            "--crf takes a number from 0 to " + std::to_string(kMaxCrf));
        request.options.crf = int(crf);
        request.crfGiven = true;
      } else if (arg == "--to") {
        if (value != "mp4" && value != "mkv")
          return UsageError(kExportCommand, "--to takes mp4 or mkv");
        request.format = value;
      } else {
        if (value.empty()) return UsageError(kExportCommand, "--out-dir needs a folder");
        request.outDir = value;
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError(kExportCommand, "unknown option " + arg);
    } else {
      request.paths.push_back(arg);
    }
  }
  return kExitOk;
}

// The clip's file name without folder and extension.
std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

// Frames of another size than the video's, said on stderr: the picture
// before each is shown in their place.
void ReportOtherSizes(const std::string& clip, const ExportResult& r) {
  if (r.other_size_frames == 0) return;
  std::fprintf(stderr,
               "zrvtool: '%s': %u frame%s (the first is frame %u, %d x %d) %s not %d x %d like the "
               "video; the picture before each is shown instead\n",
               clip.c_str(), r.other_size_frames, r.other_size_frames == 1 ? "" : "s",
               r.first_other_size_frame, r.other_width, r.other_height,
               r.other_size_frames == 1 ? "is" : "are", r.width, r.height);
}

struct Job {
  std::string clip;
  std::string output;
};

int RunExport(int argc, char** argv) {
  ExportRequest request;
  if (const int parsed = ParseArguments(argc, argv, request); parsed != kExitOk) return parsed;

  std::vector<Job> jobs;
  const bool batch = !request.format.empty() || !request.outDir.empty();
  if (batch) {
    if (request.format.empty() || request.outDir.empty())
      return UsageError(kExportCommand, "--to and --out-dir go together");
    if (request.paths.empty()) return UsageError(kExportCommand, "expected at least one CLIP");
    ExportFormatFromPath("." + request.format, request.options.format);
    std::string dir = request.outDir;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    for (const std::string& clip : request.paths)
      jobs.push_back({clip, dir + "/" + BaseName(clip) + "." + request.format});
  } else {
    if (request.paths.size() != 2) return UsageError(kExportCommand, "expected CLIP OUT.mp4|OUT.mkv");
    if (!ExportFormatFromPath(request.paths[1], request.options.format))
      return UsageError(kExportCommand, "the output's name must end in .mp4 or .mkv");
    jobs.push_back({request.paths[0], request.paths[1]});
  }
  if (request.crfGiven && request.options.format != ExportFormat::mp4)
    return UsageError(kExportCommand, "--crf applies to MP4 only");

  CatchInterrupts();
  request.options.cancel = &g_interrupted;
  ProgressDisplay progress(::isatty(STDERR_FILENO) == 1, jobs.size());
  request.options.progress = [&progress](uint32_t done, uint32_t total) {
    progress.Update(done, total);
  };

  size_t exported = 0;
  bool refused = false;
  // What the last clip came to, for the message of an interruption.
  const Job* lastJob = nullptr;
  ExportResult lastResult;
  std::set<std::string> outputs;
  for (size_t i = 0; i < jobs.size() && !g_interrupted.load(); ++i) {
    const Job& job = jobs[i];
    progress.StartClip(i, BaseName(job.clip));
    ExportResult result;
    if (!outputs.insert(job.output).second)
      result.error = "'" + job.output + "' is also the output of an earlier clip of this batch";
    else
      result = ExportClip(job.clip, job.output, request.options);
    lastJob = &job;
    lastResult = result;
    if (result.cancelled) {
      progress.Clear();
      break;
    }
    if (result.ok) {
      progress.EndClip();
      ++exported;
      ReportOtherSizes(job.clip, result);
    } else {
      progress.Clear();
      Refuse(result.error);
      refused = true;
    }
    if (request.json) {
      const std::string line = ExportJsonLine(job.clip, job.output, result);
      std::fwrite(line.data(), 1, line.size(), stdout);
      std::fflush(stdout);
    }
  }
  if (g_interrupted.load()) {
    // Said as it happened: an output finished before the signal was seen is kept.
    std::string what = "nothing was left unfinished";
    if (lastJob && lastResult.cancelled)
      what = "the unfinished '" + lastJob->output + "' was removed";
    else if (lastJob && lastResult.ok)
      what = "'" + lastJob->output + "' was finished before it and is kept";
    std::fprintf(stderr, "zrvtool: interrupted; %s\n", what.c_str());
    std::fflush(stdout);
    DieOfInterrupt();
  }
  progress.Finish(exported);
  return refused ? kExitRefused : kExitOk;
}

// The help text names the default quality.
static_assert(kDefaultCrf == 20);

}  // namespace

const Command kExportCommand = {"export", kExportUsage, kExportSummary, RunExport};
