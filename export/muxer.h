// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The output container (MP4 or Matroska) on libavformat: streams, metadata,
// interleaved packets, and the index written at the end.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

struct AVFormatContext;
struct AVIOContext;
struct AVStream;
struct AVPacket;
struct AVCodecContext;
struct AVCodecParameters;

class Muxer {
 public:
  ~Muxer();

  // Prepares a file of `formatName` ("mp4" or "matroska") written through
  // `fd`, an empty file open for reading and writing that stays ours; `name`
  // names it in messages. Nothing is opened by name, then or later: MP4's
  // fast start reads the file back through `fd` too. On failure `error`
  // says why.
  bool Create(const char* formatName, int fd, const std::string& name, std::string& error);
  // True when encoders must put their headers out of band (MP4).
  bool WantsGlobalHeaders() const;

  // A stream carrying what `encoder` makes (opened already), or a stream
  // described by `parameters` whose packets are written as they are.
  AVStream* AddStream(const AVCodecContext* encoder);
  AVStream* AddStream(const AVCodecParameters* parameters, int timeBaseDen);

  // Title and creation time, then the header. MP4 gets its index at the
  // front of the file when it is finished ("fast start").
  bool Start(const std::string& title, const timespec& created, std::string& error);
  // Writes `packet` (time stamps in `fromTimeBase` units over `fromDen`),
  // interleaved with the other streams by time. The packet is consumed.
  bool Write(AVPacket* packet, AVStream* stream, int fromTimeBaseDen, std::string& error);
  // Flushes the interleaving queue, writes the index and empties the buffer
  // into the file (which stays open: it is `fd`'s owner's).
  bool Finish(std::string& error);

 private:
  AVFormatContext* m_context = nullptr;
  AVIOContext* m_output = nullptr;
  bool m_fastStart = false;
  bool m_started = false;
};
