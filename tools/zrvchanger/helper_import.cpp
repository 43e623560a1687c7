// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/zrvchanger/helper_import.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "import/import_wire.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPollMs = 50;
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

  const Clock::time_point started = Clock::now();
  Clock::time_point stopAsked{};
  bool asked = false, killed = false;
  std::string pending;
  for (;;) {
    const bool stop = (cancel && cancel->load()) || Clock::now() - started > limit;
    if (stop && !asked) {
      ::kill(child, SIGTERM);
      asked = true;
      stopAsked = Clock::now();
    }
    if (asked && !killed && Clock::now() - stopAsked > kStopGrace) {
      ::kill(child, SIGKILL);
      killed = true;
    }
    pollfd ready = {out[0], POLLIN, 0};
    const int polled = ::poll(&ready, 1, kPollMs);
    if (polled < 0 && errno != EINTR) break;
    if (polled <= 0) continue;
    char buffer[4096];
    const ssize_t got = ::read(out[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    pending.append(buffer, size_t(got));
    for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
      outcome.last = pending.substr(0, end);
      pending.erase(0, end + 1);
      if (line) line(outcome.last);
    }
  }
  ::close(out[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  outcome.cancelled = asked && cancel && cancel->load();
  if (asked && !outcome.cancelled) outcome.failure = "it took too long to read";
  else if (WIFSIGNALED(status) && !asked) outcome.failure = std::string("its reader ended by ") + strsignal(WTERMSIG(status));
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
  facts.error = "'" + video + "' is not a video that can be read (" + why + ")";
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
  if (outcome.cancelled) {
    result.failure = {ImportProblem::cancelled, video, {}};
    result.error = "the import of '" + video + "' was cancelled";
  } else {
    result.failure = {ImportProblem::damaged, video, outcome.failure};
    result.error = "the import of '" + video + "' stopped: " + outcome.failure;
  }
  return result;
}
