// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "audio/wav_pcm.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr uint32_t kMaxSampleRate = 768000;
constexpr uint16_t kMaxChannels = 8;
// The tail of every KSDATAFORMAT_SUBTYPE GUID; the sub-format code comes first.
constexpr uint8_t kSubFormatGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                            0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Closes the descriptor however the reading ends.
class FileReader {
 public:
  explicit FileReader(int fd) : m_fd(fd) {}
  ~FileReader() { ::close(m_fd); }
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  // Reads exactly `size` bytes at `offset`; false on an I/O error or end of file.
  bool ReadAt(uint64_t offset, void* buffer, size_t size) const {
    auto* out = static_cast<uint8_t*>(buffer);
    while (size > 0) {
      ssize_t n = ::pread(m_fd, out, size, static_cast<off_t>(offset));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      out += n;
      offset += static_cast<uint64_t>(n);
      size -= static_cast<size_t>(n);
    }
    return true;
  }

 private:
  int m_fd;
};

struct PcmFormat {
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
};

// Checks a "fmt " chunk body; only 16-bit PCM that a sound device can take passes.
bool ParseFormat(const uint8_t* body, uint32_t size, PcmFormat& format) {
  if (size < 16) return false;
  uint16_t tag = Le16(body);
  uint16_t channels = Le16(body + 2);
  uint32_t rate = Le32(body + 4);
  uint16_t blockAlign = Le16(body + 12);
  uint16_t bits = Le16(body + 14);
  if (tag == kFormatExtensible) {
    // cbSize (2), valid bits (2), channel mask (4), then the sub-format GUID.
    if (size < 40 || Le16(body + 24) != kFormatPcm ||
        std::memcmp(body + 26, kSubFormatGuidTail, sizeof kSubFormatGuidTail) != 0)
      return false;
  } else if (tag != kFormatPcm) {
    return false;
  }
  if (bits != 16 || channels == 0 || channels > kMaxChannels || blockAlign != 2 * channels ||
      rate == 0 || rate > kMaxSampleRate)
    return false;
  format.channels = channels;
  format.sampleRate = rate;
  return true;
}

WavLoadResult OpenError(int error) {
  return error == ENOENT || error == ENOTDIR ? WavLoadResult::NotFound : WavLoadResult::Unreadable;
}

WavLoadResult ReadWav(const FileReader& file, uint64_t fileSize, WavPcm& pcm) {
  uint8_t riff[12];
  if (fileSize < sizeof riff || !file.ReadAt(0, riff, sizeof riff)) return WavLoadResult::Invalid;
  if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0)
    return WavLoadResult::Invalid;

  // The RIFF size is not trusted: a writer that stopped early leaves it short.
  PcmFormat format;
  bool haveFormat = false;
  uint64_t offset = sizeof riff;
  while (offset + 8 <= fileSize) {
    uint8_t chunk[8];
    if (!file.ReadAt(offset, chunk, sizeof chunk)) return WavLoadResult::Unreadable;
    uint32_t size = Le32(chunk + 4);
    uint64_t body = offset + 8;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      uint8_t fmt[40] = {};
      uint32_t wanted = size < sizeof fmt ? size : sizeof fmt;
      if (body + wanted > fileSize || !file.ReadAt(body, fmt, wanted) ||
          !ParseFormat(fmt, wanted, format))
        return WavLoadResult::Invalid;
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) return WavLoadResult::Invalid;
      uint64_t available = fileSize - body;
      uint64_t bytes = size < available ? size : available;
      bytes -= bytes % (2u * format.channels);
      try {
        pcm.samples.resize(static_cast<size_t>(bytes));
      } catch (const std::bad_alloc&) {
        return WavLoadResult::OutOfMemory;
      }
      if (!file.ReadAt(body, pcm.samples.data(), pcm.samples.size()))
        return WavLoadResult::Unreadable;
      pcm.channels = format.channels;
      pcm.sampleRate = format.sampleRate;
      return WavLoadResult::Ok;
    }
    offset = body + size + (size & 1);  // chunks are padded to an even length
  }
  return WavLoadResult::Invalid;
}

}  // namespace

WavLoadResult LoadWavPcm(const std::string& path, WavPcm& pcm) {
  pcm = WavPcm{};
  // Non-blocking, so that a FIFO given by mistake cannot hang the caller.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return OpenError(errno);
  FileReader file(fd);
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return WavLoadResult::Unreadable;

  WavLoadResult result = ReadWav(file, static_cast<uint64_t>(info.st_size), pcm);
  if (result != WavLoadResult::Ok) pcm = WavPcm{};
  return result;
}
