// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Sound encoding from 16-bit interleaved samples: AAC for MP4 through
// libavcodec, FLAC for MKV by our own lean encoder (libavcodec's took as long
// as the rest of the export together).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/flac_encoder.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
class Muxer;

class AudioEncoder {
 public:
  ~AudioEncoder();

  // `codecName` is "aac" or "flac".
  bool Open(const char* codecName, int channels, int sampleRate, bool globalHeader,
            std::string& error);
  const AVCodecContext* context() const { return m_context; }
  void SetStream(AVStream* stream) { m_stream = stream; }

  // Takes `count` instants of interleaved samples; whole encoder frames are
  // encoded and their packets go to `muxer`.
  bool Add(const int16_t* interleaved, size_t count, Muxer& muxer, std::string& error);
  // Encodes what is left (a shorter last frame) and drains the encoder.
  bool Finish(Muxer& muxer, std::string& error);

 private:
  bool OpenFlac(int channels, int sampleRate, std::string& error);
  bool EncodePending(size_t count, Muxer& muxer, std::string& error);
  bool WriteFlacFrame(size_t count, Muxer& muxer, std::string& error);
  bool WriteFlacStreamInfo(Muxer& muxer, std::string& error);
  bool Drain(Muxer& muxer, std::string& error);

  AVCodecContext* m_context = nullptr;
  AVFrame* m_frame = nullptr;
  AVPacket* m_packet = nullptr;
  AVStream* m_stream = nullptr;
  int m_channels = 0;
  int m_frameSize = 0;            // instants per encoder frame
  std::vector<int16_t> m_pending;  // interleaved, fewer than one frame after Add
  int64_t m_nextPts = 0;           // in samples
  std::unique_ptr<FlacEncoder> m_flac;  // FLAC's encoder; m_context then only describes it
  std::vector<uint8_t> m_flacFrame;
};
