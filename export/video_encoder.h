// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// H.264 encoding of 4:2:0 pictures through libavcodec and libx264, High
// profile, tagged BT.601 in limited range with chroma at the centre of each
// 2 x 2 block; odd sizes padded to even by repeating the last column and row.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "image/jpeg_rgb.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
class Muxer;

// Whether frames of width x height fit what every browser and phone decodes
// and what the encoder holds within the export's memory bound: H.264 level
// 4.1, at most 8,192 macroblocks of 16 x 16 (1920 x 1080 takes 8,160) and
// no side longer than 4096 pixels.
bool H264FrameSizeSupported(int width, int height);
// The same limit in words, for a refusal: "at most 8,192 macroblocks ...".
extern const char* const kH264FrameSizeLimit;

// Key frames come at least this often, so that players seek quickly.
inline constexpr int kKeyFrameSeconds = 2;

class H264Encoder {
 public:
  ~H264Encoder();

  // Opens the encoder for pictures of width x height at the rate
  // fpsNum / fpsDen (a hint for rate control and the key-frame interval;
  // the time stamps rule), time stamps in 1/ticksPerSecond units. `crf` 0
  // is taken as 1: lossless H.264 needs a profile that browsers and phones
  // do not play, so the High profile is kept for every quality.
  bool Open(int width, int height, int64_t fpsNum, int64_t fpsDen, int ticksPerSecond, int crf,
            bool globalHeader, std::string& error);
  const AVCodecContext* context() const { return m_context; }
  void SetStream(AVStream* stream) { m_stream = stream; }

  // Shows `picture` (of the opened size; null for black) from `pts` until
  // the next Show, or until the end that Finish names. A picture lasts as
  // long as nothing new replaces it: repeats cost nothing.
  bool Show(const Yuv420Picture* picture, int64_t pts, Muxer& muxer, std::string& error);
  // Sends the last picture, lasting until `endPts`, and drains the encoder.
  bool Finish(int64_t endPts, Muxer& muxer, std::string& error);

 private:
  void CopyPicture(const Yuv420Picture& picture);
  bool Send(int64_t pts, int64_t duration, Muxer& muxer, std::string& error);
  bool Drain(Muxer& muxer, std::string& error);

  AVCodecContext* m_context = nullptr;
  AVFrame* m_frame = nullptr;
  AVPacket* m_packet = nullptr;
  AVStream* m_stream = nullptr;
  int m_width = 0, m_height = 0;  // the picture's size; the encoded one is even
  uint8_t m_lumaRange[256];       // full-range samples to video range (16 to 235)
  uint8_t m_chromaRange[256];     // the same for colour differences (16 to 240)
  int64_t m_shownFrom = -1;       // the picture in m_frame is shown from here; -1: none yet
  int64_t m_keyInterval = 0;      // ticks between forced key frames
  int64_t m_nextKey = 0;          // a picture shown from here on is a key frame
  // The duration of each frame sent and not yet out of the encoder, by its
  // time stamp (packets come out in decoding order).
  std::map<int64_t, int64_t> m_durations;
};
