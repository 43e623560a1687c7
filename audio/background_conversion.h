// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Converting a sound track to WAV on a thread of its own, handing the samples
// to the wave device as they come, so that a clip opens before its sound is
// decoded and plays while the rest is.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "audio/amr_to_wav.h"
#include "audio/streamed_pcm.h"

class BackgroundConversion {
 public:
  BackgroundConversion() = default;
  ~BackgroundConversion();  // cancels
  BackgroundConversion(const BackgroundConversion&) = delete;
  BackgroundConversion& operator=(const BackgroundConversion&) = delete;

  // Cancels any conversion under way, then opens the track and creates the
  // WAV file here, and decodes on a thread of its own into both the file and
  // pcm(), which has room for `blocks` blocks (counted beforehand). False,
  // with nothing running, when the track or the WAV file cannot be opened or
  // the samples' memory cannot be had.
  bool Start(const std::string& amrPath, const std::string& wavPath, int64_t blocks);
  // Stops within one block and waits for the thread; the WAV file is closed
  // with what was written. Does nothing when nothing runs.
  void Cancel();
  // Waits for the end. True when the whole track was written.
  bool Wait();

  // The samples as far as they are decoded; null before a Start.
  const std::shared_ptr<StreamedPcm>& pcm() const { return m_pcm; }

 private:
  void Join();

  std::unique_ptr<AmrToWav> m_conversion;
  std::shared_ptr<StreamedPcm> m_pcm;
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_whole{false};
  std::thread m_thread;
};
