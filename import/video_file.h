// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The video an import reads: opened once, before anything of it is parsed,
// so that the parsing can run where no other file can be opened. Every pass
// over it reads through its own position (pread), so passes never disturb
// each other.
#pragma once

#include <cstdint>
#include <string>

#include "import/import_failure.h"

class VideoFile {
 public:
  VideoFile() = default;
  ~VideoFile();
  VideoFile(const VideoFile&) = delete;
  VideoFile& operator=(const VideoFile&) = delete;

  // Opens `path`, a regular file. False, with `failure` and the English
  // sentence `error`, for anything else.
  bool Open(const std::string& path, ImportFailure& failure, std::string& error);

  const std::string& path() const { return m_path; }
  int fd() const { return m_fd; }
  int64_t size() const { return m_size; }

 private:
  std::string m_path;
  int m_fd = -1;
  int64_t m_size = 0;
};
