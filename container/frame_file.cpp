#include "container/frame_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, const uint8_t* data, uint64_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<uint64_t>(n);
  }
  return true;
}

}  // namespace

FrameStreamPieces FrameStreamOf(const uint8_t* bytes, const FrameIndex& index, uint32_t k) {
  const uint32_t start = index.frameOffsets[k];
  const uint32_t end = index.frameOffsets[k + 1];
  FrameStreamPieces pieces;
  if (index.sharedHeader && k >= 1) {
    pieces.head = bytes;
    pieces.headLength = index.headerLength;
    pieces.body = bytes + start + 2;
    pieces.bodyLength = end - start - 2;
  } else {
    pieces.body = bytes + start;
    pieces.bodyLength = end - start;
  }
  return pieces;
}

bool WriteFrameFile(const uint8_t* bytes, const FrameIndex& index, uint32_t k,
                    const std::string& path) {
  if (k >= index.frameCount) return false;
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) return false;

  const FrameStreamPieces pieces = FrameStreamOf(bytes, index, k);
  bool ok = WriteAll(fd, pieces.head, pieces.headLength) &&
            WriteAll(fd, pieces.body, pieces.bodyLength);

  struct stat st {};
  const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (::close(fd) != 0) ok = false;
  // A truncated JPEG would look like a saved frame; do not leave one behind.
  if (!ok && regular) ::unlink(path.c_str());
  return ok;
}
