// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Waiting for a child process that reports on a pipe, with a way to stop
// it: the cancel flag and the time limit are looked at every 50 ms, so that
// a stop is asked (SIGTERM) within that, and forced (SIGKILL) after a grace
// when the caller wants that.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>

struct ChildWatch {
  using Duration = std::chrono::steady_clock::duration;
  const std::atomic<bool>* cancel = nullptr;  // may be null
  Duration limit = Duration::max();           // from the start of the watch
  Duration killAfter = Duration::max();       // after SIGTERM; max: never
  // Called with each line the child prints, without its '\n'; may be empty.
  std::function<void(const std::string& line)> line;
};

struct ChildEnd {
  std::string last;         // the last whole line the child printed
  int status = 0;           // as waitpid reports it
  bool stopAsked = false;   // SIGTERM was sent
  bool cancelled = false;   // ... because the cancel flag held
};

// Reads `fd`, the child's end of its output pipe, until the child closes it
// (then closes it here), and reaps `child`.
ChildEnd WatchChild(pid_t child, int fd, const ChildWatch& watch);
