// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "container/clip_reading.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// Pieces of the rest: large enough that a read costs little, small enough
// that a cancel is seen within a millisecond.
constexpr uint32_t kPiece = 1 << 20;
// The first frame is read in smaller pieces: it is usually a few kilobytes.
constexpr uint32_t kFirstPiece = 64 << 10;

}  // namespace

ClipReading::~ClipReading() {
  Cancel();
  Close();
}

void ClipReading::Close() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

bool ClipReading::Open(const std::string& path) {
  Cancel();
  Close();
  m_stop = false;
  // Non-blocking, so that a FIFO is refused at once instead of waiting for a
  // writer; reads of a regular file are not affected.
  m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (m_fd < 0) return false;
  struct stat st {};
  if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    Close();
    return false;
  }
  m_length = uint64_t(st.st_size);
  m_data = nullptr;
  m_read = 0;
  return true;
}

ReadStatus ClipReading::Allocate(FileBlock& block) {
  block.Release();
  // Frame offsets are 32-bit.
  if (m_length > UINT32_MAX || !block.Allocate(size_t(m_length))) return ReadStatus::noMemory;
  m_data = block.data();
  return ReadStatus::ok;
}

const uint8_t* ClipReading::Bytes(uint32_t offset, uint32_t size) {
  const uint64_t end = uint64_t(offset) + size;
  if (end > m_length) return nullptr;
  while (m_read < end) {
    if (m_stop.load(std::memory_order_relaxed)) return nullptr;
    const ssize_t n = ::pread(m_fd, m_data + m_read, size_t(end - m_read), off_t(m_read));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return nullptr;
    m_read += uint32_t(n);
  }
  return m_data + offset;
}

ReadStatus ClipReading::ReadFirstFrame(FrameIndex& first) {
  if (!m_data) return ReadStatus::noMemory;
  const auto read = [this](uint32_t offset, uint32_t size) { return Bytes(offset, size); };
  return BuildFirstFrameIndex(read, uint32_t(m_length), kFirstPiece, first) ? ReadStatus::ok
                                                                            : ReadStatus::shortRead;
}

ReadStatus ClipReading::ReadRest(FrameIndex& index) {
  if (!m_data) return ReadStatus::noMemory;
  const auto read = [this](uint32_t offset, uint32_t size) { return Bytes(offset, size); };
  if (!BuildFrameIndexInPieces(read, uint32_t(m_length), kPiece, index))
    return ReadStatus::shortRead;
  // The scan ends at the sound track; the track is read too.
  for (uint64_t at = m_read; at < m_length; at += kPiece) {
    const uint32_t size = uint32_t(std::min<uint64_t>(kPiece, m_length - at));
    if (!Bytes(uint32_t(at), size)) return ReadStatus::shortRead;
  }
  Close();
  return ReadStatus::ok;
}

void ClipReading::ReadRestInBackground(FrameIndex& index, std::function<void(ReadStatus)> done) {
  Cancel();
  m_stop = false;
  m_thread = std::thread([this, &index, done = std::move(done)] {
    const ReadStatus status = ReadRest(index);
    if (!m_stop.load()) done(status);
  });
}

void ClipReading::Cancel() {
  m_stop = true;
  if (m_thread.joinable()) m_thread.join();
}
