// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "signals/quit_signals.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kQuitSignals[] = {SIGTERM, SIGINT, SIGHUP};
int g_writeEnd = -1;

void OnQuitSignal(int signal) {
  const int savedErrno = errno;
  const unsigned char number = static_cast<unsigned char>(signal);
  // Non-blocking: a full pipe already holds a signal to act on.
  [[maybe_unused]] const ssize_t written = ::write(g_writeEnd, &number, 1);
  errno = savedErrno;
}

}  // namespace

int InstallQuitSignals() {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
  g_writeEnd = ends[1];
  for (int signal : kQuitSignals) {
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
  }
  return ends[0];
}

int TakeQuitSignal(int fd) {
  unsigned char number = 0;
  return ::read(fd, &number, 1) == 1 ? number : 0;
}

void EndBySignal(int signal) {
  std::signal(signal, SIG_DFL);
  sigset_t only;
  ::sigemptyset(&only);
  ::sigaddset(&only, signal);
  ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
  ::raise(signal);
  std::_Exit(128 + signal);  // not reached: the default action ends the program
}
