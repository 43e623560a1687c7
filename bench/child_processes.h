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
