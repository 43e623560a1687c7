// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "import/import_worker.h"

#include <algorithm>
#include <system_error>

ImportWorker::~ImportWorker() { Stop(); }

void ImportWorker::Start() {
  if (m_thread.joinable()) return;
  try {
    m_thread = std::thread([this] { Run(); });
    m_id = m_thread.get_id();
  } catch (const std::system_error&) {
    // No thread: the import runs as it would on one core.
  }
}

void ImportWorker::Post(std::function<void()> task, size_t backlog) {
  if (!m_thread.joinable()) {
    task();
    return;
  }
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_room.wait(lock, [&] { return m_stopping || m_tasks.size() < std::max<size_t>(1, backlog); });
    if (m_stopping) return;
    m_tasks.push_back(std::move(task));
  }
  m_wake.notify_one();
}

void ImportWorker::Wait() {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_room.wait(lock, [&] { return m_stopping || (m_tasks.empty() && !m_busy); });
}

void ImportWorker::Stop() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopping = true;
    m_tasks.clear();
  }
  m_wake.notify_one();
  m_room.notify_all();
  if (m_thread.joinable()) m_thread.join();
}

void ImportWorker::Run() {
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock<std::mutex> lock(m_mutex);
      m_busy = false;
      m_room.notify_all();
      m_wake.wait(lock, [this] { return m_stopping || !m_tasks.empty(); });
      if (m_stopping) return;
      task = std::move(m_tasks.front());
      m_tasks.pop_front();
      m_busy = true;
      m_room.notify_all();
    }
    task();
  }
}
