#include "tools/zrvtool/interrupts.h"

#include <csignal>
#include <unistd.h>

std::atomic<bool> g_interrupted{false};

namespace {

std::atomic<int> g_signal{0};

void OnInterrupt(int signal) {
  g_signal.store(signal);
  g_interrupted.store(true);
}

}  // namespace

void CatchInterrupts() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
}

void DieOfInterrupt() {
  const int signal = g_signal.load();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
  _exit(128 + signal);
}
