// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Reading a clip into memory front to back while indexing it, so that its
// first frame can be shown at once and the rest read and indexed on a
// thread of its own: a two-hour clip opens as fast as a short one.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "container/file_block.h"
#include "container/frame_index.h"

class ClipReading {
 public:
  ClipReading() = default;
  ~ClipReading();  // cancels
  ClipReading(const ClipReading&) = delete;
  ClipReading& operator=(const ClipReading&) = delete;

  // Opens the clip at `path`: false when it is missing, unreadable or not a
  // regular file.
  bool Open(const std::string& path);
  // The file's length when it was opened: what is read, whatever it becomes.
  uint64_t length() const { return m_length; }
  // Makes `block` the home of the clip's bytes, the file's length in size;
  // its old contents are released first. `block` must outlive the reading
  // and not be touched past the bytes read until it has ended.
  ReadStatus Allocate(FileBlock& block);

  // Reads as far as the end of the first frame and indexes it alone
  // (BuildFirstFrameIndex).
  ReadStatus ReadFirstFrame(FrameIndex& first);
  // Reads the whole clip, from where it stands, and indexes all of it into
  // `index`. A file that shrinks meanwhile makes a shortRead: what was read
  // is a copy, so nothing changes under the reader.
  ReadStatus ReadRest(FrameIndex& index);
  // ReadRest on a thread of its own; `done` is called there with the result
  // when it ends, and not at all after a Cancel. `index` must outlive it.
  void ReadRestInBackground(FrameIndex& index, std::function<void(ReadStatus)> done);
  // Stops the thread within one piece and waits for it.
  void Cancel();

 private:
  // Bytes [offset, offset + size) of the clip, read first where needed; null
  // when they cannot be had or the reading is cancelled.
  const uint8_t* Bytes(uint32_t offset, uint32_t size);
  void Close();

  int m_fd = -1;
  uint64_t m_length = 0;
  uint8_t* m_data = nullptr;
  uint32_t m_read = 0;  // bytes read so far, from the front
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};
