// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/converter/work_queue.h"

WorkQueue::WorkQueue() : m_thread([this] { Run(); }) {}

WorkQueue::~WorkQueue() { Stop(); }

void WorkQueue::Post(std::function<void()> task) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stopping) return;
    m_tasks.push_back(std::move(task));
  }
  m_wake.notify_one();
}

void WorkQueue::Stop() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopping = true;
    m_tasks.clear();
  }
  m_wake.notify_one();
  if (m_thread.joinable()) m_thread.join();
}

void WorkQueue::Run() {
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock<std::mutex> lock(m_mutex);
      m_wake.wait(lock, [this] { return m_stopping || !m_tasks.empty(); });
      if (m_stopping) return;
      task = std::move(m_tasks.front());
      m_tasks.pop_front();
    }
    task();
  }
}
