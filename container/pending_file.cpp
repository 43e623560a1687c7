#include "container/pending_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
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

PendingFile::~PendingFile() {
  if (m_stream) std::fclose(m_stream);
  if (m_fd >= 0) ::close(m_fd);
  if (!m_path.empty()) ::unlink(m_path.c_str());
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
      error = "cannot write " + name;
      break;
    case PendingProblem::cannotName:
      error = "cannot name the finished file " + name + ": " + m_failure.reason;
      break;
    case PendingProblem::none:
      break;
  }
  return false;
}

bool PendingFile::Create(const std::string& destination, bool replace, std::string& error) {
  m_destination = destination;
  m_replace = replace;
  struct stat st {};
  if (::lstat(destination.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return Fail(PendingProblem::isFolder, destination, {}, error);
    if (!replace) return Fail(PendingProblem::exists, destination, {}, error);
  }
  std::string pattern = FolderOf(destination) + "/." + NameOf(destination) + ".XXXXXX";
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) return Fail(PendingProblem::folderNotWritable, FolderOf(destination), std::strerror(errno), error);
  // mkstemp makes the file private; the result gets the mode of any new file.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  m_fd = fd;
  m_path = pattern;
  return true;
}

bool PendingFile::Write(const uint8_t* data, size_t size) {
  if (size == 0) return true;  // data may be null then
  if (!m_stream && m_fd >= 0) {
    m_stream = ::fdopen(m_fd, "wb");
    if (m_stream) m_fd = -1;
  }
  m_size += size;
  if (!m_stream || std::fwrite(data, 1, size, m_stream) != size) m_failed = true;
  return !m_failed;
}

bool PendingFile::Close() {
  bool ok = !m_failed;
  if (m_stream) ok = std::fclose(m_stream) == 0 && ok;
  if (m_fd >= 0) ok = ::close(m_fd) == 0 && ok;
  m_stream = nullptr;
  m_fd = -1;
  return ok;
}

int PendingFile::DuplicateDescriptor() const {
  if (m_stream && std::fflush(m_stream) != 0) return -1;
  const int fd = m_stream ? ::fileno(m_stream) : m_fd;
  return fd < 0 ? -1 : ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
}

bool PendingFile::Publish(std::string& error, const timespec* modified) {
  if ((m_stream || m_fd >= 0) && !Close()) return Fail(PendingProblem::cannotWrite, m_destination, {}, error);
  if (modified) {
    const timespec times[2] = {*modified, *modified};
    ::utimensat(AT_FDCWD, m_path.c_str(), times, 0);
  }
  int renamed;
  if (m_replace) {
    renamed = std::rename(m_path.c_str(), m_destination.c_str());
  } else {
    // A file that took the name while the work ran is not replaced.
    renamed = ::renameat2(AT_FDCWD, m_path.c_str(), AT_FDCWD, m_destination.c_str(),
                          RENAME_NOREPLACE);
    if (renamed != 0 && errno == EINVAL) {  // a file system without RENAME_NOREPLACE
      struct stat st {};
      if (::lstat(m_destination.c_str(), &st) == 0)
        errno = EEXIST;
      else
        renamed = std::rename(m_path.c_str(), m_destination.c_str());
    }
  }
  if (renamed != 0) {
    return errno == EEXIST ? Fail(PendingProblem::exists, m_destination, {}, error)
                           : Fail(PendingProblem::cannotName, m_destination, std::strerror(errno), error);
  }
  m_path.clear();
  return true;
}
