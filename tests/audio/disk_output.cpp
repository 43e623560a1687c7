// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tests/audio/disk_output.h"

#include <chrono>
#include <cstdlib>
#include <thread>

bool WaitUntil(const std::function<bool()>& done) {
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

DiskOutput::DiskOutput(std::string path, uint16_t channels) : m_path(std::move(path)), m_channels(channels) {
  ::setenv("SDL_DISKAUDIOFILE", m_path.c_str(), 1);
}

std::vector<int16_t> DiskOutput::Emitted() const { return Samples16(ReadFile(m_path)); }

std::vector<PositionRun> DiskOutput::Runs() const { return CountingRuns(Emitted(), m_channels); }

uint32_t DiskOutput::FramesEmitted() const {
  uint32_t frames = 0;
  for (const PositionRun& run : Runs()) frames += run.count;
  return frames;
}

uint32_t DiskOutput::SilentFramesAtEnd() const {
  std::vector<int16_t> emitted = Emitted();
  uint32_t silent = 0;
  for (size_t end = emitted.size() - emitted.size() % m_channels; end >= m_channels; end -= m_channels) {
    if (emitted[end - m_channels] != 0) break;
    ++silent;
  }
  return silent;
}
