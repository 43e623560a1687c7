// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "ui/running_companions.h"

#include <QSocketNotifier>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// A descriptor that becomes readable when the process ends, whoever its
// parent is (the companions are started detached, so they are not ours to
// wait for); -1 when there is none.
int ProcessDescriptor(qint64 pid) {
#ifdef SYS_pidfd_open
  return static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
#else
  (void)pid;
  return -1;
#endif
}

}  // namespace

RunningCompanions::RunningCompanions(QObject* parent) : QObject(parent) {}

RunningCompanions::~RunningCompanions() {
  for (auto& [descriptor, notifier] : m_watched) {
    notifier.reset();
    ::close(descriptor);
  }
}

bool RunningCompanions::Add(qint64 pid) {
  if (pid <= 0) return false;
  const int descriptor = ProcessDescriptor(pid);
  if (descriptor < 0) return false;
  auto notifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
  connect(notifier.get(), &QSocketNotifier::activated, this, [this, descriptor] { Ended(descriptor); });
  m_watched[descriptor] = std::move(notifier);
  return true;
}

void RunningCompanions::Ended(int descriptor) {
  auto it = m_watched.find(descriptor);
  if (it == m_watched.end()) return;
  it->second->setEnabled(false);
  // Not deleted inside its own signal: the notifier goes once control is back
  // in the event loop.
  it->second.release()->deleteLater();
  m_watched.erase(it);
  ::close(descriptor);
  if (m_watched.empty()) emit allEnded();
}
