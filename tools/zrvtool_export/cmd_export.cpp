// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvtool export: clips to MP4 or MKV files.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "export/export.h"
#include "tools/cli/commands.h"
#include "tools/cli/export_usage.h"
#include "tools/zrvtool_export/export_report.h"
#include "tools/zrvtool_export/batch_run.h"

namespace {

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

// Frames of another size than the video's: the picture before each is
// shown in their place.
std::string OtherSizesNote(const std::string& clip, const ExportResult& r) {
  if (r.other_size_frames == 0) return {};
  char text[200];
  std::snprintf(text, sizeof text, "%u frame%s (the first is frame %u, %d x %d) %s not %d x %d like the video",
                r.other_size_frames, r.other_size_frames == 1 ? "" : "s", r.first_other_size_frame,
                r.other_width, r.other_height, r.other_size_frames == 1 ? "is" : "are", r.width, r.height);
  return "'" + clip + "': " + text + "; the picture before each is shown instead";
}

int RunExport(int argc, char** argv) {
  ExportRequest request;
  if (const int parsed = ParseArguments(argc, argv, request); parsed != kExitOk) return parsed;

  std::vector<BatchJob> jobs;
  const bool batch = !request.format.empty() || !request.outDir.empty();
  if (batch) {
    if (request.format.empty() || request.outDir.empty())
      return UsageError(kExportCommand, "--to and --out-dir go together");
    if (request.paths.empty()) return UsageError(kExportCommand, "expected at least one CLIP");
    ExportFormatFromPath("." + request.format, request.options.format);
    jobs = OutDirJobs(request.paths, request.outDir, request.format);
  } else {
    if (request.paths.size() != 2) return UsageError(kExportCommand, "expected CLIP OUT.mp4|OUT.mkv");
    if (!ExportFormatFromPath(request.paths[1], request.options.format))
      return UsageError(kExportCommand, "the output's name must end in .mp4 or .mkv");
    jobs.push_back({request.paths[0], request.paths[1]});
  }
  if (request.crfGiven && request.options.format != ExportFormat::mp4)
    return UsageError(kExportCommand, "--crf applies to MP4 only");

  BatchCommand command;
  command.item = "clip";
  command.done = "exported";
  command.percent = false;
  command.run = [&request](const BatchJob& job, const std::atomic<bool>* cancel,
                           const BatchProgress& progress) {
    ExportOptions options = request.options;
    options.cancel = cancel;
    options.progress = progress;
    const ExportResult result = ExportClip(job.input, job.output, options);
    return BatchOutcome{result.ok, result.cancelled, result.error, OtherSizesNote(job.input, result),
                        ExportJsonLine(job.input, job.output, result)};
  };
  command.refusedJson = [](const BatchJob& job, const std::string& error) {
    ExportResult result;
    result.error = error;
    return ExportJsonLine(job.input, job.output, result);
  };
  return RunBatch(jobs, request.json, command);
}

// The help text names the default quality.
static_assert(kDefaultCrf == 20);

}  // namespace

const Command kExportCommand = {"export", kExportUsage, kExportSummary, RunExport};
