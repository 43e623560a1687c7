// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// A thread of its own that runs tasks one after another, so that the window
// stays responsive while clips are read and converted.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class WorkQueue {
 public:
  WorkQueue();
  ~WorkQueue();  // Stop()
  WorkQueue(const WorkQueue&) = delete;
  WorkQueue& operator=(const WorkQueue&) = delete;

  // Runs `task` on the queue's thread after the tasks posted before it.
  // Ignored once the queue is stopped.
  void Post(std::function<void()> task);
  // Drops the tasks that have not started and waits for the running one to
  // end; no task runs afterwards.
  void Stop();

 private:
  void Run();

  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<std::function<void()>> m_tasks;
  bool m_stopping = false;
  std::thread m_thread;
};
