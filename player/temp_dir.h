// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Where the player keeps its temporary sound and frame files.
#pragma once

#include <string>

// The folder for temporary files: $TMP, else $TMPDIR, else /tmp.
std::string ReadTempDir();

// Removes from `base` the private folders of players that no longer run
// (killed outright, crashed, or gone with their X server): folders named as
// the player names them, of this user, mode 0700, whose owner mark names a
// process that has ended. Anything else is left alone. Returns how many went.
int RemoveAbandonedTempDirs(const std::string& base);

// A folder of the player's own (mode 0700) inside a temporary folder, so that
// two players, or another user on a shared /tmp, never touch its files. It is
// removed with what is left in it when the object goes, and carries a mark of
// the process that made it for RemoveAbandonedTempDirs.
class PrivateTempDir {
 public:
  PrivateTempDir() = default;
  ~PrivateTempDir();
  PrivateTempDir(const PrivateTempDir&) = delete;
  PrivateTempDir& operator=(const PrivateTempDir&) = delete;

  // Clears `base` of abandoned folders, then makes the folder inside it;
  // false when it cannot be made.
  bool Create(const std::string& base);
  void Remove();

  // Empty until Create succeeds.
  const std::string& path() const { return m_path; }
  // The path of `name` inside the folder; empty while there is no folder, so
  // that nothing is ever written outside it.
  std::string File(const char* name) const { return m_path.empty() ? std::string() : m_path + "/" + name; }

 private:
  std::string m_path;
};
