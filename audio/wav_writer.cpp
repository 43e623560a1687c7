// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "audio/wav_writer.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

namespace {

// The RIFF size (36 + data bytes) must fit its 32-bit field.
constexpr uint32_t kMaxDataBytes = 0xFFFFFFFFu - 36;
constexpr size_t kStreamBuffer = 64 * 1024;

void Put16(uint8_t* header, int offset, uint32_t value) {
  header[offset] = uint8_t(value);
  header[offset + 1] = uint8_t(value >> 8);
}

void Put32(uint8_t* header, int offset, uint32_t value) {
  Put16(header, offset, value & 0xFFFF);
  Put16(header, offset + 2, value >> 16);
}

void FillHeader(uint8_t* header, int channels, int bitsPerSample, int sampleRate,
                uint32_t byteRate) {
  std::memcpy(header, "RIFF", 4);
  Put32(header, WAV_RIFF_SIZE, 36);
  std::memcpy(header + 8, "WAVEfmt ", 8);
  Put32(header, 16, 16);  // format chunk size
  Put16(header, 20, 1);   // PCM
  Put16(header, WAV_CHANNELS, uint32_t(channels));
  Put32(header, WAV_SAMPLE_RATE, uint32_t(sampleRate));
  Put32(header, WAV_BYTE_RATE, byteRate);
  Put16(header, WAV_BLOCK_ALIGN, uint32_t(channels * bitsPerSample / 8));
  Put16(header, WAV_BITS_PER_SAMPLE, uint32_t(bitsPerSample));
  std::memcpy(header + 36, "data", 4);
  Put32(header, WAV_DATA_SIZE, 0);
}

// Sample frames are interleaved into a buffer of this many bytes and handed
// to the stream in one call: a library call per sample frame would cost more
// than the rest of the conversion.
constexpr size_t kChunkBytes = 4096;

}  // namespace

uint16_t WavHeaderField16(const uint8_t* header, int offset) {
  return uint16_t(header[offset] | header[offset + 1] << 8);
}

uint32_t WavHeaderField32(const uint8_t* header, int offset) {
  return WavHeaderField16(header, offset) | uint32_t(WavHeaderField16(header, offset + 2)) << 16;
}

uint32_t WavFileLengthMs(const char* path) {
  constexpr uint32_t kUnknown = 0xFFFFFFFF;
  uint8_t header[WAV_HEADER_BYTES];
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return kUnknown;
  const bool whole = std::fread(header, 1, sizeof header, f) == sizeof header;
  std::fclose(f);
  if (!whole || std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0)
    return kUnknown;
  const uint32_t byteRate = WavHeaderField32(header, WAV_BYTE_RATE);
  if (byteRate == 0) return kUnknown;
  const uint64_t ms = uint64_t(WavHeaderField32(header, WAV_DATA_SIZE)) * 1000 / byteRate;
  return ms < kUnknown ? uint32_t(ms) : kUnknown - 1;
}

WavWriter* WavCreate(const char* path, short channels, short bitsPerSample, int sampleRate) {
  // The samples come in as shorts: a wider sample would read past each one.
  if (bitsPerSample != 16 || channels < 1 || sampleRate <= 0) return nullptr;
  const int64_t byteRate = int64_t(channels) * bitsPerSample * sampleRate / 8;
  if (byteRate > INT32_MAX) return nullptr;

  std::FILE* stream = std::fopen(path, "wb");
  if (!stream) return nullptr;
  auto* writer = static_cast<WavWriter*>(std::calloc(1, sizeof(WavWriter)));
  // Sample frames are small; a larger buffer means fewer system calls. The
  // buffer is given, as glibc keeps its own small one when asked for a size
  // alone.
  char* buffer = static_cast<char*>(std::malloc(kStreamBuffer));
  if (!writer || !buffer) {
    std::fclose(stream);
    std::free(writer);
    std::free(buffer);
    return nullptr;
  }
  std::setvbuf(stream, buffer, _IOFBF, kStreamBuffer);
  writer->streamBuffer = buffer;
  FillHeader(writer->header, channels, bitsPerSample, sampleRate, uint32_t(byteRate));
  if (std::fwrite(writer->header, 1, WAV_HEADER_BYTES, stream) != WAV_HEADER_BYTES) {
    std::fclose(stream);
    std::free(writer);
    std::free(buffer);
    return nullptr;
  }
  writer->stream = stream;
  writer->needsPatch = 1;
  return writer;
}

int WavWriteSamples(WavWriter* writer, const short* const* channelData, int frames,
                    short channels) {
  uint8_t* header = writer->header;
  if (channels != WavHeaderField16(header, WAV_CHANNELS) || channels > WAV_MAX_CHANNELS) return 0;
  if (frames <= 0) return 1;

  const short* next[WAV_MAX_CHANNELS];  // the caller's pointers stay as they are
  std::memcpy(next, channelData, sizeof(*next) * size_t(channels));
  const size_t blockAlign = WavHeaderField16(header, WAV_BLOCK_ALIGN);
  uint32_t dataBytes = WavHeaderField32(header, WAV_DATA_SIZE);
  // Whole sample frames up to the RIFF size's limit.
  const uint64_t room = (kMaxDataBytes - dataBytes) / blockAlign;
  uint64_t left = std::min<uint64_t>(uint64_t(frames), room);
  const size_t framesPerChunk = kChunkBytes / blockAlign;
  uint8_t chunk[kChunkBytes];

  // One channel on a little-endian machine is already in the file's layout.
  if (channels == 1 && std::endian::native == std::endian::little) {
    const size_t bytes = size_t(left) * 2;
    dataBytes += uint32_t(fwrite_unlocked(next[0], 1, bytes, writer->stream));
    left = 0;
  }
  while (left > 0) {
    const size_t count = size_t(std::min<uint64_t>(left, framesPerChunk));
    uint8_t* out = chunk;
    for (size_t i = 0; i < count; ++i) {
      for (int k = 0; k < channels; ++k) {
        const uint16_t sample = uint16_t(*next[k]++);
        *out++ = uint8_t(sample);
        *out++ = uint8_t(sample >> 8);
      }
    }
    // The stream is ours alone, so it needs no lock.
    const size_t written = fwrite_unlocked(chunk, 1, count * blockAlign, writer->stream);
    dataBytes += uint32_t(written);
    if (written < count * blockAlign) break;
    left -= count;
  }
  Put32(header, WAV_DATA_SIZE, dataBytes);
  return 1;
}

int WavClose(WavWriter* writer) {
  bool ok = true;
  if (writer->needsPatch) {
    uint8_t* header = writer->header;
    Put32(header, WAV_RIFF_SIZE, 36 + WavHeaderField32(header, WAV_DATA_SIZE));
    ok = std::fseek(writer->stream, 0, SEEK_SET) == 0 &&
         std::fwrite(header, 1, WAV_HEADER_BYTES, writer->stream) == WAV_HEADER_BYTES;
  }
  // Samples still in the stream's buffer reach the file only here.
  if (std::fclose(writer->stream) != 0) ok = false;
  std::free(writer->streamBuffer);
  std::free(writer);
  return ok ? 1 : 0;
}
