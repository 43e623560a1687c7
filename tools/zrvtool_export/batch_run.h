// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The batch loop that zrvtool export and zrvtool import share: one job per
// input, a progress bar on a terminal, one JSON line per job, a refused job
// reported and the rest done, Ctrl-C ending everything and leaving nothing.
#pragma once

#include <cstdint>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

struct BatchJob {
  std::string input;
  std::string output;
};

struct BatchOutcome {
  bool ok = false;
  bool cancelled = false;
  std::string error;  // when not ok
  std::string note;   // when ok: something the user should know, said on stderr
  std::string json;   // the job's JSON line, newline included
};

using BatchProgress = std::function<void(uint32_t done, uint32_t total)>;

struct BatchCommand {
  const char* item;  // what the inputs are: "clip"
  const char* done;  // what happens to them: "exported"
  bool percent;      // progress in permille of the work instead of frames
  // Does one job, stopping when `cancel` holds true.
  std::function<BatchOutcome(const BatchJob& job, const std::atomic<bool>* cancel,
                             const BatchProgress& progress)>
      run;
  // The JSON line of a job refused before it started.
  std::function<std::string(const BatchJob& job, const std::string& error)> refusedJson;
};

// Runs the jobs in order with Ctrl-C as their cancel flag. Returns
// zrvtool's exit code; after Ctrl-C the process ends by the signal.
int RunBatch(const std::vector<BatchJob>& jobs, bool json, const BatchCommand& command);

// "DIR/STEM.EXTENSION" for each input: the outputs of --out-dir.
std::vector<BatchJob> OutDirJobs(const std::vector<std::string>& inputs, std::string dir,
                                 const std::string& extension);
