// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "export/fd_io.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace {

constexpr int kBufferSize = 256 * 1024;

struct FdCursor {
  int fd = -1;
  int64_t position = 0;
};

int ReadPacket(void* opaque, uint8_t* buffer, int size) {
  auto* cursor = static_cast<FdCursor*>(opaque);
  ssize_t got;
  do got = ::pread(cursor->fd, buffer, size_t(size), cursor->position);
  while (got < 0 && errno == EINTR);
  if (got < 0) return AVERROR(errno);
  if (got == 0) return AVERROR_EOF;
  cursor->position += got;
  return int(got);
}

// FFmpeg 7 made the buffer const; earlier versions take it as it was.
#if LIBAVFORMAT_VERSION_MAJOR >= 61
using WriteBuffer = const uint8_t*;
#else
using WriteBuffer = uint8_t*;
#endif

int WritePacket(void* opaque, WriteBuffer buffer, int size) {
  auto* cursor = static_cast<FdCursor*>(opaque);
  int left = size;
  while (left > 0) {
    const ssize_t put = ::pwrite(cursor->fd, buffer, size_t(left), cursor->position);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return put == 0 ? AVERROR(EIO) : AVERROR(errno);
    buffer += put;
    left -= int(put);
    cursor->position += put;
  }
  return size;
}

int64_t Seek(void* opaque, int64_t offset, int whence) {
  auto* cursor = static_cast<FdCursor*>(opaque);
  struct stat st {};
  switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE:
      return ::fstat(cursor->fd, &st) == 0 ? int64_t(st.st_size) : AVERROR(errno);
    case SEEK_SET:
      break;
    case SEEK_CUR:
      offset += cursor->position;
      break;
    case SEEK_END:
      if (::fstat(cursor->fd, &st) != 0) return AVERROR(errno);
      offset += st.st_size;
      break;
    default:
      return AVERROR(EINVAL);
  }
  if (offset < 0) return AVERROR(EINVAL);
  cursor->position = offset;
  return offset;
}

}  // namespace

AVIOContext* OpenFdIo(int fd, bool write) {
  auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
  auto* cursor = new FdCursor{fd, 0};
  AVIOContext* io = buffer ? avio_alloc_context(buffer, kBufferSize, write ? 1 : 0, cursor, ReadPacket,
                                                write ? WritePacket : nullptr, Seek)
                           : nullptr;
  if (!io) {
    av_free(buffer);
    delete cursor;
    return nullptr;
  }
  // Muxers mark a flush point after every cluster or fragment, which is a
  // write of a few kilobytes a frame; the output only becomes visible when
  // it is published whole, so the buffer is written when it is full.
  if (write) io->min_packet_size = kBufferSize;
  return io;
}

int FdIoDescriptor(const AVIOContext* io) { return static_cast<const FdCursor*>(io->opaque)->fd; }

int CloseFdIo(AVIOContext** io) {
  if (!*io) return 0;
  if ((*io)->write_flag) avio_flush(*io);
  const int error = (*io)->error;
  delete static_cast<FdCursor*>((*io)->opaque);
  av_freep(&(*io)->buffer);
  avio_context_free(io);
  return error < 0 ? error : 0;
}
