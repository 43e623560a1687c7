// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/zrvtool_export/batch_run.h"

#include <cstdio>
#include <set>
#include <unistd.h>

#include "tools/cli/cli.h"
#include "tools/zrvtool_export/export_report.h"
#include "tools/zrvtool_export/interrupts.h"

int RunBatch(const std::vector<BatchJob>& jobs, bool json, const BatchCommand& command) {
  CatchInterrupts();
  ProgressDisplay progress(::isatty(STDERR_FILENO) == 1, jobs.size(), command.item, command.done,
                           command.percent);
  const BatchProgress update = [&progress](uint32_t done, uint32_t total) {
    progress.Update(done, total);
  };
  size_t succeeded = 0;
  bool refused = false;
  std::set<std::string> outputs;
  // What the last job came to, for the message of an interruption.
  const BatchJob* lastJob = nullptr;
  BatchOutcome lastOutcome;
  for (size_t i = 0; i < jobs.size() && !g_interrupted.load(); ++i) {
    const BatchJob& job = jobs[i];
    progress.StartClip(i, FileStem(job.input));
    BatchOutcome outcome;
    if (!outputs.insert(job.output).second) {
      outcome.error =
          "'" + job.output + "' is also the output of an earlier " + command.item + " of this batch";
      outcome.json = command.refusedJson(job, outcome.error);
    } else {
      outcome = command.run(job, &g_interrupted, update);
    }
    lastJob = &job;
    lastOutcome = outcome;
    if (outcome.cancelled) {
      progress.Clear();
      break;
    }
    if (outcome.ok) {
      progress.EndClip();
      ++succeeded;
      if (!outcome.note.empty()) std::fprintf(stderr, "zrvtool: %s\n", outcome.note.c_str());
    } else {
      progress.Clear();
      Refuse(outcome.error);
      refused = true;
    }
    if (json) {
      std::fwrite(outcome.json.data(), 1, outcome.json.size(), stdout);
      std::fflush(stdout);
    }
  }
  if (g_interrupted.load()) {
    // Said as it happened: an output finished before the signal was seen is kept.
    std::string what = "nothing was left unfinished";
    if (lastJob && lastOutcome.cancelled)
      what = "the unfinished '" + lastJob->output + "' was removed";
    else if (lastJob && lastOutcome.ok)
      what = "'" + lastJob->output + "' was finished before it and is kept";
    std::fprintf(stderr, "zrvtool: interrupted; %s\n", what.c_str());
    std::fflush(stdout);
    DieOfInterrupt();
  }
  progress.Finish(succeeded);
  return refused ? kExitRefused : kExitOk;
}

std::vector<BatchJob> OutDirJobs(const std::vector<std::string>& inputs, std::string dir,
                                 const std::string& extension) {
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  std::vector<BatchJob> jobs;
  for (const std::string& input : inputs) jobs.push_back({input, dir + "/" + FileStem(input) + "." + extension});
  return jobs;
}
