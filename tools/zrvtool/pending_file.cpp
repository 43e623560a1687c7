#include "tools/zrvtool/pending_file.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

PendingFile::PendingFile(const std::string& destination) : m_destination(destination) {
  const size_t slash = destination.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : destination.substr(0, slash);
  const std::string name = slash == std::string::npos ? destination : destination.substr(slash + 1);
  std::string pattern = dir + "/." + name + ".XXXXXX";
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) return;
  m_path = pattern;
  // mkstemp makes the file private; the result gets the mode of any new file.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  m_stream = ::fdopen(fd, "wb");
  if (!m_stream) ::close(fd);
}

PendingFile::~PendingFile() {
  if (m_stream) std::fclose(m_stream);
  if (!m_path.empty()) ::unlink(m_path.c_str());
}

bool PendingFile::Write(const uint8_t* data, size_t size) {
  if (size == 0) return true;  // data may be null then
  m_size += size;
  return std::fwrite(data, 1, size, m_stream) == size;
}

bool PendingFile::Close() {
  const bool ok = std::fclose(m_stream) == 0;
  m_stream = nullptr;
  return ok;
}

bool PendingFile::Publish() {
  if (::rename(m_path.c_str(), m_destination.c_str()) != 0) return false;
  m_path.clear();
  return true;
}
