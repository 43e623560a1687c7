// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
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

FrameStreamSpans FrameStreamSpansOf(const FrameIndex& index, uint32_t k) {
  const uint32_t start = index.frameOffsets[k];
  const uint32_t end = index.frameOffsets[k + 1];
  FrameStreamSpans spans;
  if (index.sharedHeader && k >= 1) {
    spans.headLength = index.headerLength;
    spans.bodyOffset = start + 2;
  } else {
    spans.bodyOffset = start;
  }
  spans.bodyLength = end - spans.bodyOffset;
  return spans;
}

FrameStreamPieces FrameStreamOf(const uint8_t* bytes, const FrameIndex& index, uint32_t k) {
  const FrameStreamSpans spans = FrameStreamSpansOf(index, k);
  FrameStreamPieces pieces;
  if (spans.headLength) {
    pieces.head = bytes;
    pieces.headLength = spans.headLength;
  }
  pieces.body = bytes + spans.bodyOffset;
  pieces.bodyLength = spans.bodyLength;
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
