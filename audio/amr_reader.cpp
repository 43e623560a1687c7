// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "audio/amr_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>


namespace {

struct Magic {
  const char* text;
  int length;
};

// Looked for in this order; no magic is a prefix of another.
constexpr Magic kMagics[] = {
    {"#!AMR\n", 6},
    {"#!AMR-WB\n", 9},
    {"#!AMR_MC1.0\n", 12},
    {"#!AMR-WB_MC1.0\n", 15},
};
constexpr int kLongestMagic = 15;

// Speech bits per narrow-band frame type; the payload is (bits + 7) / 8 bytes.
constexpr int kNarrowBandBits[16] = {95, 103, 118, 134, 148, 159, 204, 244, 39, 0, 0, 0, 0, 0, 0, 0};
// Payload bytes per wide-band frame type.
constexpr int kWideBandBytes[16] = {17, 23, 32, 36, 40, 46, 50, 58, 60, 5, 0, 0, 0, 0, 0, 0};

// Reads exactly `size` bytes unless the file ends or fails first; returns
// how many arrived.
size_t ReadUpTo(int fd, uint8_t* data, size_t size) {
  size_t got = 0;
  while (got < size) {
    ssize_t n = ::read(fd, data + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  return got;
}

// Takes `size` bytes of the file into `data`, from the read-ahead buffer and
// refilling it as needed. Returns false when the file ends (or fails) first.
bool Take(AmrReader* reader, uint8_t* data, size_t size) {
  if (reader->memory) {
    if (reader->memorySize - reader->memoryPos < size) return false;
    std::memcpy(data, reader->memory + reader->memoryPos, size);
    reader->memoryPos += size;
    return true;
  }
  while (size > 0) {
    if (reader->readPos == reader->readEnd) {
      const size_t got = ReadUpTo(reader->fd, reader->readAhead, AMR_READ_AHEAD);
      if (got == 0) return false;
      reader->readPos = 0;
      reader->readEnd = int(got);
    }
    const size_t n = std::min(size, size_t(reader->readEnd - reader->readPos));
    std::memcpy(data, reader->readAhead + reader->readPos, n);
    reader->readPos += int(n);
    data += n;
    size -= n;
  }
  return true;
}

// The channel count of a multichannel file: the low half of the big-endian
// channel description field. 0 when the field is cut short.
int ReadChannelCount(AmrReader* reader) {
  uint8_t field[4];
  if (!Take(reader, field, sizeof field)) return 0;
  return field[2] << 8 | field[3];
}

}  // namespace

int AmrMatchMagic(const uint8_t* head, size_t length) {
  for (int format = 0; format < 4; ++format) {
    const Magic& m = kMagics[format];
    if (length >= size_t(m.length) && std::memcmp(head, m.text, size_t(m.length)) == 0)
      return format;
  }
  return -1;
}

int AmrMagicLength(int32_t format) { return kMagics[format & 3].length; }

bool AmrIsWideBand(int32_t format) { return format == amrWideBand || format == amrWideBandMulti; }

int AmrPayloadBytes(int32_t format, int frameType) {
  frameType &= 15;
  if (AmrIsWideBand(format)) return kWideBandBytes[frameType];
  return (kNarrowBandBits[frameType] + 7) / 8;
}

namespace {

// Reads the channel count after the magic and points the frame buffers; the
// reader is closed and null returned for a count it does not take.
AmrReader* FinishOpen(AmrReader* reader) {
  const int32_t format = reader->format;
  int channels = 1;
  if (format == amrNarrowBandMulti || format == amrWideBandMulti) channels = ReadChannelCount(reader);
  // Zero channels would make every block complete without reading a byte.
  if (channels < 1 || channels > AMR_MAX_CHANNELS) {
    AmrClose(reader);
    return nullptr;
  }
  reader->channels = static_cast<int16_t>(channels);

  const bool wide = AmrIsWideBand(format);
  const int stride = wide ? AMR_WB_FRAME_STRIDE : AMR_NB_FRAME_STRIDE;
  for (int k = 0; k < channels; ++k) reader->frame[k] = reader->buffers + k * stride;
  reader->sampleRate = wide ? 16000 : 8000;
  return reader;
}

}  // namespace

AmrReader* AmrOpen(const char* path) {
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;

  uint8_t head[kLongestMagic];
  const int format = AmrMatchMagic(head, ReadUpTo(fd, head, sizeof head));
  AmrReader* reader = nullptr;
  if (format >= 0 && ::lseek(fd, kMagics[format].length, SEEK_SET) >= 0)
    reader = static_cast<AmrReader*>(std::calloc(1, sizeof(AmrReader)));
  if (!reader) {
    ::close(fd);
    return nullptr;
  }
  reader->format = format;
  reader->fd = fd;
  return FinishOpen(reader);
}

AmrReader* AmrOpenMemory(const uint8_t* data, size_t size) {
  const int format = data ? AmrMatchMagic(data, size) : -1;
  if (format < 0) return nullptr;
  auto* reader = static_cast<AmrReader*>(std::calloc(1, sizeof(AmrReader)));
  if (!reader) return nullptr;
  reader->format = format;
  reader->fd = -1;
  reader->memory = data;
  reader->memorySize = size;
  reader->memoryPos = size_t(kMagics[format].length);
  return FinishOpen(reader);
}

int AmrReadBlock(AmrReader* reader) {
  for (int k = 0; k < reader->channels; ++k) {
    uint8_t* frame = reader->frame[k];
    if (!Take(reader, frame, 1)) return 0;
    const size_t payload = size_t(AmrPayloadBytes(reader->format, AmrFrameType(frame[0])));
    if (!Take(reader, frame + 1, payload)) return 0;
  }
  return 1;
}

int AmrClose(AmrReader* reader) {
  if (!reader) return 0;
  const int closed = reader->fd < 0 || ::close(reader->fd) == 0;
  std::free(reader);
  return closed;
}
