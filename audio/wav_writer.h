// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Writing 16-bit PCM as a canonical 44-byte-header RIFF WAVE file, sample
// frame by sample frame, with the sizes filled in on close.
#pragma once

#include <cstdint>
#include <cstdio>

inline constexpr int WAV_HEADER_BYTES = 44;
// Channel pointers one WavWriteSamples call can take.
inline constexpr int WAV_MAX_CHANNELS = 12;

// Where the header's fields lie.
enum WavHeaderOffset {
  WAV_RIFF_SIZE = 4,
  WAV_CHANNELS = 22,
  WAV_SAMPLE_RATE = 24,
  WAV_BYTE_RATE = 28,
  WAV_BLOCK_ALIGN = 32,
  WAV_BITS_PER_SAMPLE = 34,
  WAV_DATA_SIZE = 40,
};

struct WavWriter {
  std::FILE* stream;
  char* streamBuffer;  // the stream's buffer, freed after the stream is closed
  int16_t needsPatch;  // the provisional header is on disk
  // The header as it will stand on disk, little-endian. Its data-size field
  // (offset 40) counts the sample bytes written so far.
  uint8_t header[WAV_HEADER_BYTES];
};

// Creates or truncates `path` and writes a header with provisional sizes.
// Returns null when the file cannot be written, or for parameters no PCM
// file can carry: bitsPerSample other than 16, no channels, a sample rate
// of 0 or less, or a byte rate beyond 32 bits.
WavWriter* WavCreate(const char* path, short channels, short bitsPerSample, int sampleRate);

// Appends `frames` sample frames, interleaving channelData[0..channels-1]
// (each pointing at that channel's consecutive samples). Returns 1 when it
// ran, 0 without writing when `channels` differs from the file's or is more
// than WAV_MAX_CHANNELS. Only the bytes the stream accepts are counted.
int WavWriteSamples(WavWriter* writer, const short* const* channelData, int frames,
                    short channels);

// Writes the final sizes into the header, closes the file and frees the
// record. Returns 1, or 0 when the header or the buffered samples could not
// be written out.
int WavClose(WavWriter* writer);

// The length in milliseconds (rounded down) of a WAV file that WavClose
// finished: its data size over its byte rate, read from the header, so it is
// known whether or not any sound output can play the file. 0xFFFFFFFF when the
// file cannot be read or its header gives no byte rate.
uint32_t WavFileLengthMs(const char* path);

// Little-endian fields of a header image.
uint32_t WavHeaderField32(const uint8_t* header, int offset);
uint16_t WavHeaderField16(const uint8_t* header, int offset);
