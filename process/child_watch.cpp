// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "process/child_watch.h"

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPollMs = 50;

}  // namespace

ChildEnd WatchChild(pid_t child, int fd, const ChildWatch& watch) {
  ChildEnd end;
  const Clock::time_point started = Clock::now();
  Clock::time_point stopAsked{};
  bool killed = false;
  std::string pending;
  for (;;) {
    const bool cancelled = watch.cancel && watch.cancel->load();
    if (!end.stopAsked && (cancelled || Clock::now() - started > watch.limit)) {
      ::kill(child, SIGTERM);
      end.stopAsked = true;
      stopAsked = Clock::now();
    }
    if (end.stopAsked && !killed && Clock::now() - stopAsked > watch.killAfter) {
      ::kill(child, SIGKILL);
      killed = true;
    }
    pollfd ready = {fd, POLLIN, 0};
    const int polled = ::poll(&ready, 1, kPollMs);
    if (polled < 0 && errno != EINTR) break;
    if (polled <= 0) continue;
    char buffer[4096];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    pending.append(buffer, size_t(got));
    for (size_t at; (at = pending.find('\n')) != std::string::npos;) {
      end.last = pending.substr(0, at);
      pending.erase(0, at + 1);
      if (watch.line) watch.line(end.last);
    }
  }
  ::close(fd);
  while (::waitpid(child, &end.status, 0) < 0 && errno == EINTR) {
  }
  end.cancelled = end.stopAsked && watch.cancel && watch.cancel->load();
  return end;
}
