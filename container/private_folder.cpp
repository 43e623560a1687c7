// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "container/private_folder.h"

#include <cstdlib>
#include <filesystem>

std::string TemporaryFolder() {
  for (const char* name : {"TMP", "TMPDIR"}) {
    const char* value = std::getenv(name);
    if (value && *value) return value;
  }
  return "/tmp";
}

PrivateFolder::PrivateFolder() {
  std::string pattern = TemporaryFolder() + "/zrvtool.XXXXXX";
  if (::mkdtemp(pattern.data())) m_path = pattern;
}

PrivateFolder::~PrivateFolder() {
  std::error_code ignored;
  if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
}
