// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// A folder of the program's own for temporary files.
#pragma once

#include <string>

// The folder temporary files go into: $TMP, else $TMPDIR, else /tmp.
std::string TemporaryFolder();

// Made (mode 0700) inside TemporaryFolder(), so that nobody else sees or
// swaps its files; removed with everything in it when the object goes.
class PrivateFolder {
 public:
  PrivateFolder();
  ~PrivateFolder();
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  // False when the folder could not be made.
  bool made() const { return !m_path.empty(); }
  const std::string& path() const { return m_path; }
  std::string File(const char* name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};
