// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "player/temp_dir.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>  // mkdtemp
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "container/private_folder.h"

namespace {

constexpr char kPrefix[] = "zrvplayer.";
constexpr size_t kRandomPart = 6;  // mkdtemp's XXXXXX
constexpr char kOwnerFile[] = "owner";

// When the process started, in clock ticks since boot (field 22 of its
// stat line); nothing when no such process runs. With the pid it names one
// process for good: a pid used again gets another start time.
std::optional<unsigned long long> StartTimeOf(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(in, line)) return std::nullopt;
  // The command name in parentheses may hold blanks and parentheses itself.
  const size_t nameEnd = line.rfind(')');
  if (nameEnd == std::string::npos) return std::nullopt;
  std::istringstream fields(line.substr(nameEnd + 1));
  std::string field;
  // Fields 3 to 21 come before the start time.
  for (int i = 3; i <= 21; ++i) fields >> field;
  unsigned long long start = 0;
  if (!(fields >> start)) return std::nullopt;
  return start;
}

std::string OwnerLine() {
  const pid_t self = ::getpid();
  return std::to_string(self) + " " + std::to_string(StartTimeOf(self).value_or(0)) + "\n";
}

// Whether the folder's owner file names a process that no longer runs.
bool OwnerIsGone(const std::string& folder) {
  const int fd = ::open((folder + "/" + kOwnerFile).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;  // not marked: not known to be ours
  char text[64] = {};
  const ssize_t length = ::read(fd, text, sizeof text - 1);
  ::close(fd);
  long long pid = 0;
  unsigned long long start = 0;
  if (length <= 0 || std::sscanf(text, "%lld %llu", &pid, &start) != 2 || pid <= 0) return false;
  const std::optional<unsigned long long> running = StartTimeOf(static_cast<pid_t>(pid));
  return !running || *running != start;
}

bool IsPlayerFolderName(const char* name) {
  const size_t prefix = std::strlen(kPrefix);
  return std::strncmp(name, kPrefix, prefix) == 0 && std::strlen(name) == prefix + kRandomPart;
}

}  // namespace

std::string ReadTempDir() { return TemporaryFolder(); }

int RemoveAbandonedTempDirs(const std::string& base) {
  DIR* dir = ::opendir(base.c_str());
  if (!dir) return 0;
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    if (!IsPlayerFolderName(entry->d_name)) continue;
    const std::string folder = base + "/" + entry->d_name;
    struct stat info;
    // Only a real folder of this user's, private as the player makes it.
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid() || (info.st_mode & 07777) != 0700)
      continue;
    if (!OwnerIsGone(folder)) continue;
    std::error_code ignored;
    if (std::filesystem::remove_all(folder, ignored) > 0 && !ignored) ++removed;
  }
  ::closedir(dir);
  return removed;
}

PrivateTempDir::~PrivateTempDir() { Remove(); }

bool PrivateTempDir::Create(const std::string& base) {
  Remove();
  RemoveAbandonedTempDirs(base);
  std::string pattern = base + "/" + kPrefix + "XXXXXX";
  if (!::mkdtemp(pattern.data())) return false;  // mkdtemp makes it 0700
  m_path = pattern;
  // Marked with this process, so that a later start can tell the folder of a
  // player that was killed from one still in use.
  std::ofstream(m_path + "/" + kOwnerFile) << OwnerLine();
  return true;
}

void PrivateTempDir::Remove() {
  if (m_path.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(m_path, ignored);
  m_path.clear();
}
