#include "bench/child_processes.h"

#include <sys/resource.h>

#include "tests/support/test_support.h"

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
