// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// zrvtool import: videos to ZRV clips.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "import/import.h"
#include "tools/cli/commands.h"
#include "tools/zrvtool_export/confined_import.h"
#include "tools/zrvtool_export/export_report.h"
#include "tools/cli/import_usage.h"
#include "tools/zrvtool_export/batch_run.h"

namespace {

struct ImportRequest {
  ImportOptions options;
  bool json = false;
  bool fpsGiven = false;
  std::string outDir;
  std::vector<std::string> paths;
};

// A number with nothing after it.
bool ParseNumber(const std::string& text, double& value) {
  if (text.empty() || text[0] == '-' || text[0] == '+' || std::isspace(uint8_t(text[0]))) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(value);
}

// Seconds, or h:mm:ss / m:ss with optional decimals on the seconds.
bool ParseTime(const std::string& text, double& seconds) {
  seconds = 0;
  size_t at = 0;
  int parts = 0;
  for (;;) {
    const size_t colon = text.find(':', at);
    const std::string part = text.substr(at, colon == std::string::npos ? std::string::npos : colon - at);
    double value = 0;
    if (!ParseNumber(part, value) || ++parts > 3) return false;
    if (colon == std::string::npos) {
      if (parts > 1 && value >= 60) return false;
      seconds = seconds * 60 + value;
      return true;
    }
    if (value != std::floor(value) || (parts > 1 && value >= 60)) return false;
    seconds = seconds * 60 + value;
    at = colon + 1;
  }
}

bool ParseSize(const std::string& text, int& width, int& height) {
  const size_t x = text.find('x');
  uint32_t w = 0, h = 0;
  if (x == std::string::npos || !ParseUint32(text.substr(0, x), w) || !ParseUint32(text.substr(x + 1), h) ||
      w > 100000 || h > 100000)
    return false;
  width = int(w);
  height = int(h);
  return true;
}

int ParseArguments(int argc, char** argv, ImportRequest& request) {
  ImportOptions& o = request.options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--force") {
      o.force = true;
      continue;
    }
    if (arg == "--json") {
      request.json = true;
      continue;
    }
    const bool takesValue = arg == "--size" || arg == "--fit" || arg == "--fps" || arg == "--quality" ||
                            arg == "--layout" || arg == "--sound" || arg == "--bitrate" ||
                            arg == "--audio-track" || arg == "--start" || arg == "--duration" || arg == "--out-dir";
    if (!takesValue) {
      if (arg.size() > 1 && arg[0] == '-') return UsageError(kImportCommand, "unknown option " + arg);
      request.paths.push_back(arg);
      continue;
    }
    if (i + 1 == argc) return UsageError(kImportCommand, arg + " needs a value");
    const std::string value = argv[++i];
    double number = 0;
    uint32_t whole = 0;
    if (arg == "--size") {
      if (!ParseSize(value, o.width, o.height)) return UsageError(kImportCommand, "--size takes WxH");
    } else if (arg == "--fit") {
      if (value != "pad" && value != "crop") return UsageError(kImportCommand, "--fit takes pad or crop");
      o.fit = value == "pad" ? ImportFit::pad : ImportFit::crop;
    } else if (arg == "--fps") {
      if (!ParseNumber(value, number)) return UsageError(kImportCommand, "--fps takes 1 to 30");
      o.fps = number;
      request.fpsGiven = true;
    } else if (arg == "--quality") {
      if (!ParseUint32(value, whole) || whole > 100) return UsageError(kImportCommand, "--quality takes 1 to 100");
      o.quality = int(whole);
    } else if (arg == "--layout") {
      if (value != "plain" && value != "shared-header")
        return UsageError(kImportCommand, "--layout takes plain or shared-header");
      o.layout = value == "plain" ? ImportLayout::plain : ImportLayout::sharedHeader;
    } else if (arg == "--sound") {
      if (value == "amr-nb")
        o.sound = ImportSound::amrNb;
      else if (value == "amr-wb")
        o.sound = ImportSound::amrWb;
      else if (value == "none")
        o.sound = ImportSound::none;
      else
        return UsageError(kImportCommand, "--sound takes amr-nb, amr-wb or none");
    } else if (arg == "--bitrate") {
      if (!ParseNumber(value, number) || number > 100)
        return UsageError(kImportCommand, "--bitrate takes the AMR mode in kbit/s, e.g. 12.2");
      o.bitrate = int(std::lround(number * 1000));
    } else if (arg == "--audio-track") {
      if (!ParseUint32(value, whole) || whole == 0 || whole > 1000)
        return UsageError(kImportCommand, "--audio-track takes the sound track's number, from 1");
      o.audioTrack = int(whole);
    } else if (arg == "--start" || arg == "--duration") {
      if (!ParseTime(value, number))
        return UsageError(kImportCommand, arg + " takes seconds or h:mm:ss");
      (arg == "--start" ? o.startSeconds : o.durationSeconds) = number;
    } else {
      if (value.empty()) return UsageError(kImportCommand, "--out-dir needs a folder");
      request.outDir = value;
    }
  }
  // Without sound the player's 200 ms rule sets the rate.
  if (o.sound == ImportSound::none && !request.fpsGiven) o.fps = 5;
  if (o.bitrate != 0 && o.sound == ImportSound::none)
    return UsageError(kImportCommand, "--bitrate needs a sound track");
  if (o.audioTrack != 0 && o.sound == ImportSound::none)
    return UsageError(kImportCommand, "--audio-track needs a sound track");
  if (const std::string wrong = CheckImportOptions(o); !wrong.empty())
    return UsageError(kImportCommand, wrong);
  return kExitOk;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() > tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string ImportJsonLine(const std::string& video, const std::string& output, const ImportResult& r) {
  std::string line = "{\"video\":" + JsonString(video) + ",\"output\":" + JsonString(output);
  line += ",\"ok\":";
  line += r.ok ? "true" : "false";
  line += ",\"frames\":" + std::to_string(r.frames);
  line += ",\"duration_ms\":" + JsonNumber(r.duration_ms);
  line += ",\"fps\":" + JsonNumber(r.fps);
  line += ",\"sound\":";
  line += r.sound ? "true" : "false";
  line += ",\"bytes\":" + std::to_string(r.bytes);
  line += ",\"seconds\":" + JsonNumber(r.seconds);
  if (!r.ok) line += ",\"error\":" + JsonString(r.error);
  return line + "}\n";
}

int RunImport(int argc, char** argv) {
  ImportRequest request;
  if (const int parsed = ParseArguments(argc, argv, request); parsed != kExitOk) return parsed;

  std::vector<BatchJob> jobs;
  if (!request.outDir.empty()) {
    if (request.paths.empty()) return UsageError(kImportCommand, "expected at least one VIDEO");
    jobs = OutDirJobs(request.paths, request.outDir, "zrv");
  } else {
    if (request.paths.size() != 2) return UsageError(kImportCommand, "expected VIDEO OUT.zrv");
    // Also keeps a forgotten OUT from making a second video the output.
    if (!EndsWith(request.paths[1], ".zrv") && !EndsWith(request.paths[1], ".gzrv"))
      return UsageError(kImportCommand, "OUT must name a .zrv or .gzrv file");
    jobs.push_back({request.paths[0], request.paths[1]});
  }

  BatchCommand command;
  command.item = "video";
  command.done = "imported";
  command.percent = true;
  command.run = [&request](const BatchJob& job, const std::atomic<bool>* cancel,
                           const BatchProgress& progress) {
    ImportOptions options = request.options;
    options.progress = [&progress](int permille) { progress(uint32_t(permille), 1000); };
    const ImportResult result = ImportInConfinedChild(job.input, job.output, options, cancel);
    return BatchOutcome{result.ok, result.cancelled, result.error, {},
                        ImportJsonLine(job.input, job.output, result)};
  };
  command.refusedJson = [](const BatchJob& job, const std::string& error) {
    ImportResult result;
    result.error = error;
    return ImportJsonLine(job.input, job.output, result);
  };
  return RunBatch(jobs, request.json, command);
}

// The help text names the defaults.
static_assert(kDefaultImportWidth == 176 && kDefaultImportHeight == 144 && kDefaultImportFps == 8 &&
              kDefaultImportQuality == 75);

}  // namespace

const Command kImportCommand = {"import", kImportUsage, kImportSummary, RunImport};
