// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The import's second thread: what follows the decoding (scaling, JPEG and
// AMR encoding, writing the clip) runs there in order while the next
// pictures are decoded. Only a few tasks may wait, so that memory stays
// bounded however far the decoding could run ahead.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class ImportWorker {
 public:
  ImportWorker() = default;
  ~ImportWorker();  // Stop()
  ImportWorker(const ImportWorker&) = delete;
  ImportWorker& operator=(const ImportWorker&) = delete;

  // Starts the thread. Call it once the process is confined, so that the
  // thread is too. Without a thread (the system refuses one) every task runs
  // at once in Post, on the caller's thread.
  void Start();
  // Runs `task` after the tasks posted before it; first waits while
  // `backlog` (at least 1) tasks are waiting.
  void Post(std::function<void()> task, size_t backlog);
  // Returns once every task posted has run.
  void Wait();
  // Drops the tasks still waiting, waits for the running one and ends the
  // thread; Post runs tasks at once afterwards.
  void Stop();
  // The thread's id; a default id (no thread's) without one.
  std::thread::id id() const { return m_id; }

 private:
  void Run();

  std::mutex m_mutex;
  std::condition_variable m_wake;  // the thread: a task or the stop
  std::condition_variable m_room;  // the poster: room in the backlog, or idle
  std::deque<std::function<void()>> m_tasks;
  bool m_busy = false;
  bool m_stopping = false;
  std::thread m_thread;
  std::thread::id m_id;
};
