// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "container/file_block.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

FileBlock::~FileBlock() { Release(); }

FileBlock::FileBlock(FileBlock&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)) {}

FileBlock& FileBlock::operator=(FileBlock&& other) noexcept {
  if (this != &other) {
    Release();
    m_data = std::exchange(other.m_data, nullptr);
    m_size = std::exchange(other.m_size, 0);
  }
  return *this;
}

bool FileBlock::Allocate(size_t size) {
  Release();
  // An empty file still gets a block, so that "loaded" never means null.
  m_data = static_cast<uint8_t*>(std::calloc(size ? size : 1, 1));
  if (!m_data) return false;
  m_size = size;
  return true;
}

void FileBlock::Release() {
  std::free(m_data);
  m_data = nullptr;
  m_size = 0;
}

namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : m_fd(fd) {}
  ~Descriptor() {
    if (m_fd >= 0) ::close(m_fd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return m_fd; }

 private:
  int m_fd;
};

}  // namespace

ReadStatus ReadWholeFile(const std::string& path, FileBlock& block) {
  // Non-blocking, so that a FIFO is refused at once instead of waiting for a
  // writer; reads of a regular file are not affected.
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) return ReadStatus::cannotOpen;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return ReadStatus::cannotOpen;

  // From here on the old contents are given up, even when the read fails:
  // two whole clips are never held at once.
  block.Release();

  const uint64_t size = static_cast<uint64_t>(st.st_size);
  if (size > UINT32_MAX) return ReadStatus::noMemory;
  if (!block.Allocate(static_cast<size_t>(size))) return ReadStatus::noMemory;

  size_t got = 0;
  while (got < size) {
    ssize_t n = ::read(fd.get(), block.data() + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  if (got < size) {
    block.Release();
    return ReadStatus::shortRead;
  }
  return ReadStatus::ok;
}

const char* ReadStatusText(ReadStatus status) {
  switch (status) {
    case ReadStatus::ok: return "ok";
    case ReadStatus::cannotOpen: return "cannot open";
    case ReadStatus::noMemory: return "no memory";
    case ReadStatus::shortRead: return "short read";
  }
  return "unknown";
}
