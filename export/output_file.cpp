#include "export/output_file.h"

#include <cerrno>
#include <cstdio>
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

OutputFile::~OutputFile() {
  if (!m_temporary.empty()) ::unlink(m_temporary.c_str());
}

bool OutputFile::Create(const std::string& destination, const std::string& clipPath, bool force,
                        ExportFailure& failure) {
  const auto fail = [&](ExportProblem problem, const std::string& path, std::string detail = {}) {
    failure = MakeFailure(problem, path, std::move(detail));
    return false;
  };
  m_destination = destination;
  m_force = force;
  if (SameExistingFile(destination, clipPath)) {
    return fail(ExportProblem::outputIsClip, destination);
  }
  struct stat st {};
  if (::lstat(destination.c_str(), &st) == 0) {
    if (!force) {
      return fail(ExportProblem::outputExists, destination);
    }
    if (S_ISDIR(st.st_mode)) {
      return fail(ExportProblem::outputIsFolder, destination);
    }
  }
  std::string pattern = FolderOf(destination) + "/." + NameOf(destination) + ".XXXXXX";
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) {
    return fail(ExportProblem::folderNotWritable, FolderOf(destination), std::strerror(errno));
  }
  // mkstemp makes the file private; the result gets the mode of any new file.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  ::close(fd);
  m_temporary = pattern;
  return true;
}

bool OutputFile::Publish(const timespec& modified, ExportFailure& failure) {
  const timespec times[2] = {modified, modified};
  ::utimensat(AT_FDCWD, m_temporary.c_str(), times, 0);
  int renamed;
  if (m_force) {
    renamed = std::rename(m_temporary.c_str(), m_destination.c_str());
  } else {
    // A file that took the name while the export ran is not replaced.
    renamed = ::renameat2(AT_FDCWD, m_temporary.c_str(), AT_FDCWD, m_destination.c_str(),
                          RENAME_NOREPLACE);
    if (renamed != 0 && errno == EINVAL) {
      struct stat st {};
      if (::lstat(m_destination.c_str(), &st) == 0)
        errno = EEXIST;
      else
        renamed = std::rename(m_temporary.c_str(), m_destination.c_str());
    }
  }
  if (renamed != 0) {
    failure = errno == EEXIST ? MakeFailure(ExportProblem::outputExists, m_destination)
                              : MakeFailure(ExportProblem::cannotName, m_destination, std::strerror(errno));
    return false;
  }
  m_temporary.clear();
  return true;
}
