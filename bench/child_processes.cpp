// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "bench/child_processes.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include "tests/support/test_support.h"

extern char** environ;

namespace {

// User and system time of the finished children.
double ChildCpuMs() {
  rusage usage {};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

}  // namespace

void RunProcesses(benchmark::State& state, const std::vector<std::string>& args) {
  const double before = ChildCpuMs();
  for (auto _ : state) {
    ProgramResult r = RunProgram(args);
    if (r.exitCode != 0) state.SkipWithError((args[0] + " failed: " + r.err).c_str());
  }
  state.counters["child_cpu_ms"] =
      benchmark::Counter(ChildCpuMs() - before, benchmark::Counter::kAvgIterations);
}

ChainCost RunChainOnce(const std::vector<std::vector<std::string>>& commands) {
  ChainCost cost;
  auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
  const auto start = std::chrono::steady_clock::now();
  for (const std::vector<std::string>& args : commands) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
      cost.error = "cannot start " + args[0];
      return cost;
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      cost.error = args[0] + " failed";
      return cost;
    }
    cost.cpuMs += ms(usage.ru_utime) + ms(usage.ru_stime);
    cost.peakKb = std::max(cost.peakKb, usage.ru_maxrss);
  }
  cost.wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  return cost;
}

void RunProcessChain(benchmark::State& state, const std::vector<std::vector<std::string>>& commands) {
  double cpu = 0;
  long peak = 0;
  for (auto _ : state) {
    const ChainCost cost = RunChainOnce(commands);
    if (!cost.error.empty()) {
      state.SkipWithError(cost.error.c_str());
      return;
    }
    cpu += cost.cpuMs;
    peak = std::max(peak, cost.peakKb);
  }
  state.counters["child_cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
  state.counters["peak_kb"] = double(peak);
}
