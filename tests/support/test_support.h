// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Test helpers: temporary folders, whole files and child processes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A fresh private folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return m_path; }
  std::string File(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);  // empty when the file cannot be read
bool FileExists(const std::string& path);

struct ProgramResult {
  int exitCode = -1;  // -1 when the program did not end normally
  std::string out;
  std::string err;
};

// Runs `args` (args[0] is the program path) without a shell and captures
// both output streams.
ProgramResult RunProgram(const std::vector<std::string>& args);

// The path of one of the programs the build makes.
std::string BuiltProgram(const std::string& name);

// True when process `pid`, or one below it, holds open an output it is still writing in
// `folder`: an unnamed file (readlink shows "FOLDER/#INODE (deleted)") or a
// hidden ".NAME..." one.
bool HoldsPendingFile(int pid, const std::string& folder);
// Waits up to `seconds` until HoldsPendingFile; false when it never does.
bool AwaitPendingFile(int pid, const std::string& folder, double seconds);
// The names in `folder`, sorted.
std::vector<std::string> FolderNames(const std::string& folder);
