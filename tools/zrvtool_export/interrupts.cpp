// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/zrvtool_export/interrupts.h"

#include <csignal>
#include <unistd.h>

std::atomic<bool> g_interrupted{false};

namespace {

std::atomic<int> g_signal{0};
std::atomic<pid_t> g_child{0};

void OnInterrupt(int signal) {
  g_signal.store(signal);
  g_interrupted.store(true);
  if (const pid_t child = g_child.load(); child > 0) ::kill(child, SIGTERM);
}

}  // namespace

// A signal that was ignored when the program started stays ignored: that is
// how `nohup` and a shell's background jobs keep a program running.
void CatchInterrupts() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction before {};
    if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
}

void ForwardInterruptsTo(int child) { g_child.store(child); }

void DieOfInterrupt() {
  const int signal = g_signal.load();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
  _exit(128 + signal);
}
