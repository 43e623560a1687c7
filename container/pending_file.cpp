// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "container/pending_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kBufferSize = 64 * 1024;
// Every new file gets 0666 less the umask, which the kernel applies: the
// umask is never read, so no other thread sees it changed.
constexpr mode_t kNewFileMode = 0666;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (written == 0) errno = EIO;
      return false;
    }
    data += written;
    size -= size_t(written);
  }
  return true;
}

}  // namespace

bool SameExistingFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

PendingFile::PendingFile(const std::string& destination) {
  std::string ignored;
  Create(destination, true, ignored);
}

PendingFile::~PendingFile() { Drop(); }

void PendingFile::Drop() {
  if (m_fd >= 0) ::close(m_fd);
  if (!m_hiddenName.empty()) ::unlinkat(m_folderFd, m_hiddenName.c_str(), 0);
  if (m_folderFd >= 0) ::close(m_folderFd);
  m_fd = m_folderFd = -1;
  m_hiddenName.clear();
  m_path.clear();
}

bool PendingFile::Fail(PendingProblem problem, const std::string& path, std::string reason,
                       std::string& error) {
  m_failure.problem = problem;
  m_failure.path = path;
  m_failure.reason = std::move(reason);
  const std::string name = "'" + path + "'";
  switch (problem) {
    case PendingProblem::isFolder:
      error = name + " is a folder";
      break;
    case PendingProblem::exists:
      error = name + " already exists; it is left as it is";
      break;
    case PendingProblem::folderNotWritable:
      error = "cannot write in the folder " + name + ": " + m_failure.reason;
      break;
    case PendingProblem::cannotWrite:
      error = "cannot write " + name + (m_failure.reason.empty() ? "" : ": " + m_failure.reason);
      break;
    case PendingProblem::cannotName:
      error = "cannot name the finished file " + name + ": " + m_failure.reason;
      break;
    case PendingProblem::none:
      break;
  }
  return false;
}

std::string PendingFile::HiddenName() {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string name = "." + m_name + ".";
  // A step of a 64-bit LCG per name: no system call, so that Publish can
  // make one where opening is no longer allowed.
  m_nameSeed = m_nameSeed * 6364136223846793005u + 1442695040888963407u;
  uint64_t bits = m_nameSeed;
  for (int i = 0; i < 6; ++i, bits >>= 6) name += kLetters[(bits >> 32) % (sizeof kLetters - 1)];
  return name;
}

bool PendingFile::OpenUnnamed() {
  const int fd = ::openat(m_folderFd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, kNewFileMode);
  if (fd < 0) return false;
  // Linking it needs /proc (linkat with AT_EMPTY_PATH needs a privilege);
  // without it the file could never be published.
  const std::string procPath = "/proc/self/fd/" + std::to_string(fd);
  struct stat viaProc {}, direct {};
  if (::stat(procPath.c_str(), &viaProc) != 0 || ::fstat(fd, &direct) != 0 ||
      viaProc.st_ino != direct.st_ino || viaProc.st_dev != direct.st_dev) {
    ::close(fd);
    return false;
  }
  m_fd = fd;
  m_path = procPath;
  return true;
}

bool PendingFile::OpenHidden() {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = HiddenName();
    const int fd = ::openat(m_folderFd, name.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC | O_NOFOLLOW,
                            kNewFileMode);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return false;
    m_fd = fd;
    m_hiddenName = name;
    m_path = FolderOf(m_destination) + "/" + name;
    return true;
  }
  return false;
}

bool PendingFile::Create(const std::string& destination, bool replace, std::string& error,
                         PendingKind kind) {
  Drop();
  m_destination = destination;
  m_name = NameOf(destination);
  m_replace = replace;
  m_failed = false;
  m_writeErrno = 0;
  m_size = 0;
  m_buffer.clear();
  m_failure = {};
  struct stat st {};
  if (::lstat(destination.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return Fail(PendingProblem::isFolder, destination, {}, error);
    if (!replace) return Fail(PendingProblem::exists, destination, {}, error);
  }
  const std::string folder = FolderOf(destination);
  // Read access lets fsync reach the folder; a folder one may only write
  // in still takes the file, without that last guarantee.
  m_folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  m_folderSyncable = m_folderFd >= 0;
  if (m_folderFd < 0) m_folderFd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (m_folderFd < 0) return Fail(PendingProblem::folderNotWritable, folder, std::strerror(errno), error);
  m_nameSeed = std::random_device{}();
  m_nameSeed = (m_nameSeed << 32) ^ std::random_device{}() ^ uint64_t(::getpid());

  m_kind = kind;
  if (kind == PendingKind::unnamed && !OpenUnnamed()) {
    // Refused for want of write permission, it would be refused by name too.
    if (errno == EACCES || errno == EROFS || errno == ENOSPC || errno == EDQUOT) {
      const int why = errno;
      Drop();
      return Fail(PendingProblem::folderNotWritable, folder, std::strerror(why), error);
    }
    m_kind = PendingKind::hidden;  // no O_TMPFILE here (or no /proc)
  }
  if (m_kind == PendingKind::hidden && !OpenHidden()) {
    const int why = errno;
    Drop();
    return Fail(PendingProblem::folderNotWritable, folder, std::strerror(why), error);
  }
  return true;
}

bool PendingFile::Write(const uint8_t* data, size_t size) {
  if (size == 0) return !m_failed;  // data may be null then
  m_size += size;
  if (m_failed || m_fd < 0) return m_failed = true, false;
  if (m_buffer.size() + size > kBufferSize && !Flush()) return false;
  if (size >= kBufferSize) {
    if (!WriteAll(m_fd, data, size)) m_failed = true, m_writeErrno = errno;
    return !m_failed;
  }
  m_buffer.insert(m_buffer.end(), data, data + size);
  return true;
}

bool PendingFile::Flush() {
  if (!m_failed && !m_buffer.empty() && (m_fd < 0 || !WriteAll(m_fd, m_buffer.data(), m_buffer.size())))
    m_failed = true, m_writeErrno = m_fd < 0 ? EBADF : errno;
  m_buffer.clear();
  return !m_failed;
}

int PendingFile::LinkUnnamed() {
  // A path lookup through /proc, not an open: allowed where opening is not.
  const auto link = [&](const std::string& name) {
    return ::linkat(AT_FDCWD, m_path.c_str(), m_folderFd, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
  };
  if (!m_replace) return link(m_name);  // linkat never replaces
  // Replacing takes a hidden name first, which rename then moves over the
  // old file in one step.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string hidden = HiddenName();
    const int linked = link(hidden);
    if (linked == EEXIST) continue;
    if (linked != 0) return linked;
    if (::renameat(m_folderFd, hidden.c_str(), m_folderFd, m_name.c_str()) == 0) return 0;
    const int why = errno;
    ::unlinkat(m_folderFd, hidden.c_str(), 0);
    return why;
  }
  return EEXIST;
}

int PendingFile::RenameHidden() {
  const char* from = m_hiddenName.c_str();
  if (m_replace) return ::renameat(m_folderFd, from, m_folderFd, m_name.c_str()) == 0 ? 0 : errno;
  // A file that took the name while the work ran is not replaced.
  if (::renameat2(m_folderFd, from, m_folderFd, m_name.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL) return errno;
  // A file system without RENAME_NOREPLACE.
  struct stat st {};
  if (::fstatat(m_folderFd, m_name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
  return ::renameat(m_folderFd, from, m_folderFd, m_name.c_str()) == 0 ? 0 : errno;
}

bool PendingFile::Publish(std::string& error, const timespec* modified) {
  if (m_fd < 0) return Fail(PendingProblem::cannotWrite, m_destination, {}, error);
  if (!Flush())
    return Fail(PendingProblem::cannotWrite, m_destination, m_writeErrno ? std::strerror(m_writeErrno) : "",
                error);
  if (modified) {
    const timespec times[2] = {*modified, *modified};
    ::futimens(m_fd, times);
  }
  // The bytes first: a name must never reach the disk before its content.
  if (::fsync(m_fd) != 0) return Fail(PendingProblem::cannotWrite, m_destination, std::strerror(errno), error);
  const int named = m_kind == PendingKind::unnamed ? LinkUnnamed() : RenameHidden();
  if (named != 0)
    return named == EEXIST ? Fail(PendingProblem::exists, m_destination, {}, error)
                           : Fail(PendingProblem::cannotName, m_destination, std::strerror(named), error);
  m_hiddenName.clear();
  // Then the name. Some file systems take no fsync of a folder; the name
  // stands there all the same.
  if (m_folderSyncable && ::fsync(m_folderFd) != 0 && errno != EINVAL && errno != ENOTSUP) {
    const int why = errno;
    Drop();
    return Fail(PendingProblem::cannotName, m_destination, std::strerror(why), error);
  }
  Drop();
  return true;
}
