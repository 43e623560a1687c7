// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/clip_maker/output_path.h"

#include <cerrno>
#include <sys/stat.h>

#include "container/pending_file.h"

bool SameFile(const std::string& a, const std::string& b) { return SameExistingFile(a, b); }

bool ReplaceableFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return errno == ENOENT;
  return S_ISREG(st.st_mode);
}
