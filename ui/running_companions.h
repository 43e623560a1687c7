// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The companion programs that the player started and that still run. The
// player steps out of its always-on-top place while any of them runs, so that
// their windows come up above it, and takes it again when the last one ends.
#pragma once

#include <QObject>
#include <QtGlobal>
#include <map>
#include <memory>

class QSocketNotifier;

class RunningCompanions : public QObject {
  Q_OBJECT

 public:
  explicit RunningCompanions(QObject* parent = nullptr);
  ~RunningCompanions() override;

  // Watches the process `pid` until it ends; false when it cannot be watched
  // (it has ended already, or the system has no process descriptors).
  bool Add(qint64 pid);
  int count() const { return static_cast<int>(m_watched.size()); }

 signals:
  // The last watched process has ended.
  void allEnded();

 private:
  void Ended(int descriptor);

  std::map<int, std::unique_ptr<QSocketNotifier>> m_watched;  // by process descriptor
};
