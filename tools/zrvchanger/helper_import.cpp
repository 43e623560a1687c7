// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/zrvchanger/helper_import.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "import/import_wire.h"
#include "process/child_watch.h"

namespace {

using Clock = std::chrono::steady_clock;

// A helper asked to stop that has not ended by then is killed.
constexpr auto kStopGrace = std::chrono::milliseconds(400);
// The facts of any video are read well within this; the helper gives up
// reading a video's head itself after 10 s.
constexpr auto kFactsLimit = std::chrono::seconds(15);

struct HelperOutcome {
  std::string last;        // the helper's last line
  std::string failure;     // why there is none, when the helper could not run or died
  bool cancelled = false;
};

// Runs `arguments` (the helper first) and hands each line it prints to
// `line`; the last one is kept.
HelperOutcome RunHelper(const std::vector<std::string>& arguments, const std::function<void(const std::string&)>& line,
                        const std::atomic<bool>* cancel, Clock::duration limit) {
  HelperOutcome outcome;
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) {
    outcome.failure = std::strerror(errno);
    return outcome;
  }
  const pid_t parent = ::getpid();
  const pid_t child = ::fork();
  if (child < 0) {
    outcome.failure = std::strerror(errno);
    ::close(out[0]);
    ::close(out[1]);
    return outcome;
  }
  if (child == 0) {
    // Only async-signal-safe calls until exec: the window has threads.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) _exit(127);
    ::dup2(out[1], STDOUT_FILENO);
    ::execv(argv[0], argv.data());
    _exit(127);
  }
  ::close(out[1]);

  ChildWatch watch;
  watch.cancel = cancel;
  watch.limit = limit;
  watch.killAfter = kStopGrace;
  watch.line = line;
  const ChildEnd end = WatchChild(child, out[0], watch);
  const int status = end.status;
  outcome.last = end.last;
  outcome.cancelled = end.cancelled;
  if (end.stopAsked && !outcome.cancelled) outcome.failure = "it took too long to read";
  else if (WIFSIGNALED(status) && !end.stopAsked) outcome.failure = std::string("its reader ended by ") + strsignal(WTERMSIG(status));
  else if (WIFEXITED(status) && WEXITSTATUS(status) == 127) outcome.failure = "the program '" + arguments[0] + "' cannot be run";
  return outcome;
}

}  // namespace

VideoFacts ReadFactsInHelper(const std::string& helper, const std::string& video, const std::atomic<bool>* cancel) {
  const HelperOutcome outcome = RunHelper({helper, "window", "facts", video}, {}, cancel, kFactsLimit);
  VideoFacts facts;
  if (DecodeVideoFacts(outcome.last, facts)) return facts;
  facts = {};
  const std::string why = outcome.cancelled ? "its reading was cancelled" : outcome.failure;
  facts.failure = {ImportProblem::notAVideo, video, why};
  facts.error = ImportFailureSentence(facts.failure);
  return facts;
}

ImportResult ImportInHelper(const std::string& helper, const std::string& video, const std::string& output,
                            const ImportOptions& options, const std::function<void(int)>& progress,
                            const std::atomic<bool>* cancel) {
  const auto onLine = [&progress](const std::string& line) {
    int permille = 0;
    if (progress && DecodeImportProgress(line, permille)) progress(permille);
  };
  const HelperOutcome outcome = RunHelper({helper, "window", "import", video, output, EncodeImportOptions(options)},
                                          onLine, cancel, Clock::duration::max());
  ImportResult result;
  if (DecodeImportResult(outcome.last, result)) return result;
  result = {};
  result.cancelled = outcome.cancelled;
  if (outcome.cancelled)
    result.failure = {ImportProblem::cancelled, video, {}};
  else
    result.failure = {ImportProblem::stopped, video, outcome.failure};
  result.error = ImportFailureSentence(result.failure);
  return result;
}
