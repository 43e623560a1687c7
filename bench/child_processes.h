// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Benchmarks of whole programs: each iteration runs one process, and the
// children's CPU time per run is reported as the counter child_cpu_ms, on a
// busy machine a fairer figure than the wall clock.
#pragma once

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

// Runs `args` (args[0] the program) once per iteration; a failing run stops
// the benchmark with its error output.
void RunProcesses(benchmark::State& state, const std::vector<std::string>& args);

// What running the commands one after the other once cost: their summed
// CPU time, the wall-clock time of the whole, and the largest peak resident
// memory of any of them. `error` says why not when a command failed.
struct ChainCost {
  double cpuMs = 0;
  double wallMs = 0;
  long peakKb = 0;
  std::string error;  // empty when every command succeeded
};
ChainCost RunChainOnce(const std::vector<std::vector<std::string>>& commands);

// Runs the commands one after the other once per iteration (a job done by
// several programs) and reports their summed CPU time as child_cpu_ms and
// the largest peak resident memory of any of them as peak_kb. Standard
// output goes to /dev/null.
void RunProcessChain(benchmark::State& state, const std::vector<std::vector<std::string>>& commands);
