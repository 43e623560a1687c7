// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/zrvtool_export/confined_import.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "import/import_wire.h"
#include "process/child_watch.h"
#include "tools/zrvtool_export/confinement.h"
#include "tools/zrvtool_export/interrupts.h"

namespace {

ImportResult Failed(ImportProblem problem, const std::string& video, const std::string& why) {
  ImportResult result;
  result.failure = {problem, video, why};
  result.error = ImportFailureSentence(result.failure);
  return result;
}

bool WriteAll(int fd, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += size_t(wrote);
  }
  return true;
}

[[noreturn]] void RunChild(int resultFd, const std::string& video, const std::string& output,
                           ImportOptions options, const std::atomic<bool>* cancel) {
  options.cancel = cancel;
  options.confine = ConfineProcess;
  const ImportResult result = ImportVideo(video, output, options);
  std::fflush(stderr);
  _exit(WriteAll(resultFd, EncodeImportResult(result) + "\n") ? 0 : 1);
}

}  // namespace

ImportResult ImportInConfinedChild(const std::string& video, const std::string& output, ImportOptions options,
                                   const std::atomic<bool>* cancel) {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return Failed(ImportProblem::cannotStart, video, std::strerror(errno));
  // What was printed so far must not be printed again by the child.
  std::fflush(stdout);
  std::fflush(stderr);
  const pid_t parent = ::getpid();
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    return Failed(ImportProblem::cannotStart, video, std::strerror(errno));
  }
  if (child == 0) {
    ForwardInterruptsTo(0);
    ::close(pipeFds[0]);
    // A parent killed outright takes the import with it: its unnamed output
    // then vanishes instead of being published for no one.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) _exit(1);
    RunChild(pipeFds[1], video, output, std::move(options), cancel);
  }
  ForwardInterruptsTo(child);
  ::close(pipeFds[1]);

  // The child sees a Ctrl-C at the terminal itself; a signal sent to this
  // process alone is passed on by the handler, and again here for a cancel
  // flag set otherwise.
  ChildWatch watch;
  watch.cancel = cancel;
  const ChildEnd end = WatchChild(child, pipeFds[0], watch);
  ForwardInterruptsTo(0);
  ImportResult result;
  if (DecodeImportResult(end.last, result)) return result;
  if (WIFSIGNALED(end.status))
    return Failed(ImportProblem::stopped, video, std::string("its process ended by ") + strsignal(WTERMSIG(end.status)));
  return Failed(ImportProblem::stopped, video, "its process ended with status " + std::to_string(WEXITSTATUS(end.status)));
}
