// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Reading AMR storage files ("#!AMR" and its wide-band and multichannel
// variants) one block at a time: one frame per channel, in channel order.
#pragma once

#include <cstddef>
#include <cstdint>

// The magic a file starts with, numbered in the order they are looked for.
enum AmrFormat : int32_t {
  amrNarrowBand = 0,       // "#!AMR\n"
  amrWideBand = 1,         // "#!AMR-WB\n"
  amrNarrowBandMulti = 2,  // "#!AMR_MC1.0\n"
  amrWideBandMulti = 3,    // "#!AMR-WB_MC1.0\n"
};

inline constexpr int AMR_MAX_CHANNELS = 6;
// Frame buffers lie this many bytes apart: 32 holds the largest narrow-band
// frame (type byte and 31 payload bytes), 64 the largest wide-band one (61).
inline constexpr int AMR_NB_FRAME_STRIDE = 32;
inline constexpr int AMR_WB_FRAME_STRIDE = 64;
// Bytes read from the file at a time; frames are taken from this buffer, so
// that a track costs one system call per few hundred frames, not two a frame.
inline constexpr int AMR_READ_AHEAD = 8192;

struct AmrReader {
  int32_t format;      // AmrFormat
  int32_t sampleRate;  // 8000 or 16000
  int fd;              // opened read-only; -1 for a track held in memory
  int16_t channels;    // 1 to AMR_MAX_CHANNELS
  // frame[k] holds channel k's current frame exactly as it stands in the
  // file: the frame-type byte, then the payload.
  uint8_t* frame[AMR_MAX_CHANNELS];
  uint8_t buffers[AMR_MAX_CHANNELS * AMR_WB_FRAME_STRIDE];
  // File bytes read but not yet taken: readAhead[readPos .. readEnd).
  uint8_t readAhead[AMR_READ_AHEAD];
  int readPos;
  int readEnd;
  // A track held in memory, read without a copy into readAhead.
  const uint8_t* memory;
  size_t memorySize;
  size_t memoryPos;
};

// The frame type of a frame-type byte (bits 6 to 3).
inline int AmrFrameType(uint8_t typeByte) { return (typeByte >> 3) & 15; }

// The format whose magic `head` starts with, or -1 for none. Looks at no
// more than the first 15 bytes.
int AmrMatchMagic(const uint8_t* head, size_t length);
// Bytes of the magic of `format`.
int AmrMagicLength(int32_t format);

// True for the two wide-band formats.
bool AmrIsWideBand(int32_t format);

// Payload bytes that follow a frame-type byte of `frameType` in a file of
// `format`.
int AmrPayloadBytes(int32_t format, int frameType);

// Opens an AMR storage file. Returns null, leaving nothing open, when the
// file cannot be opened, starts with no known magic, or describes no
// channels or more than AMR_MAX_CHANNELS.
AmrReader* AmrOpen(const char* path);

// The same for a track of `size` bytes held in memory, which must stay
// until the reader is closed: nothing is written out to read it back.
AmrReader* AmrOpenMemory(const uint8_t* data, size_t size);

// Reads the next block into the frame buffers. Returns 1 when a frame for
// every channel was read whole, 0 when the track has ended (an incomplete
// last block is never delivered).
int AmrReadBlock(AmrReader* reader);

// Closes the file and frees the record. Returns nonzero when the close
// succeeded.
int AmrClose(AmrReader* reader);
