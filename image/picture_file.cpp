// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/picture_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::FILE* OpenPictureFile(const std::string& path, bool forWriting) {
  const int access = forWriting ? O_WRONLY | O_CREAT | O_TRUNC : O_RDONLY;
  // Non-blocking only for the open itself: a FIFO then fails or opens at once.
  const int fd = ::open(path.c_str(), access | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    errno = EINVAL;
    return nullptr;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* file = ::fdopen(fd, forWriting ? "wb" : "rb");
  if (!file) ::close(fd);
  return file;
}
