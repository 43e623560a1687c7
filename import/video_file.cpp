// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "import/video_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

VideoFile::~VideoFile() {
  if (m_fd >= 0) ::close(m_fd);
}

bool VideoFile::Open(const std::string& path, ImportFailure& failure, std::string& error) {
  m_path = path;
  // Opened without waiting, so that a FIFO without a writer does not hang;
  // anything but a regular file is refused.
  m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (m_fd < 0) {
    failure = {ImportProblem::cannotOpen, path, std::strerror(errno)};
    error = ImportFailureSentence(failure);
    return false;
  }
  struct stat st {};
  if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    failure = {ImportProblem::notRegular, path, {}};
    error = ImportFailureSentence(failure);
    return false;
  }
  ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
  m_size = int64_t(st.st_size);
  return true;
}
