// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "export/video_encoder.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

#include "ffmpeg/av_error.h"
#include "export/muxer.h"

H264Encoder::~H264Encoder() {
  av_packet_free(&m_packet);
  av_frame_free(&m_frame);
  avcodec_free_context(&m_context);
}

const char* const kH264FrameSizeLimit =
    "at most 8,192 macroblocks of 16 x 16 pixels, such as 1920 x 1080, and no side over 4096";

bool H264FrameSizeSupported(int width, int height) {
  constexpr int64_t kMaxMacroblocks = 8192;
  constexpr int kMaxSide = 4096;  // sqrt(8 x kMaxMacroblocks) macroblocks of 16 pixels
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
  const int64_t macroblocks = int64_t((width + 15) / 16) * int64_t((height + 15) / 16);
  return macroblocks <= kMaxMacroblocks;
}

bool H264Encoder::Open(int width, int height, int64_t fpsNum, int64_t fpsDen, int ticksPerSecond,
                       int crf, bool globalHeader, std::string& error) {
  const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
  if (!codec) {
    error = "this FFmpeg has no H.264 encoder (libx264)";
    return false;
  }
  m_width = width;
  m_height = height;
  const int evenWidth = width + (width & 1), evenHeight = height + (height & 1);
  m_context = avcodec_alloc_context3(codec);
  m_frame = av_frame_alloc();
  m_packet = av_packet_alloc();
  if (!m_context || !m_frame || !m_packet) {
    error = "not enough memory for the H.264 encoder";
    return false;
  }
  m_context->width = evenWidth;
  m_context->height = evenHeight;
  m_context->pix_fmt = AV_PIX_FMT_YUV420P;
  m_context->time_base = AVRational{1, ticksPerSecond};
  av_reduce(&m_context->framerate.num, &m_context->framerate.den, fpsNum, fpsDen, 1 << 30);
  m_context->sample_aspect_ratio = AVRational{1, 1};
  // What the frames are: JPEG's BT.601 colours, narrowed to limited range
  // below, with the chroma sited as JPEG sites it.
  m_context->color_primaries = AVCOL_PRI_SMPTE170M;
  m_context->color_trc = AVCOL_TRC_SMPTE170M;
  m_context->colorspace = AVCOL_SPC_SMPTE170M;
  m_context->color_range = AVCOL_RANGE_MPEG;
  m_context->chroma_sample_location = AVCHROMA_LOC_CENTER;
  // A key frame every 2 seconds at the most, counted in frames here and
  // forced by time in Send for pictures that last longer than one frame.
  const int64_t framesIn2s = fpsDen > 0 ? kKeyFrameSeconds * fpsNum / fpsDen : 1;
  m_context->gop_size = int(std::clamp<int64_t>(framesIn2s, 1, 1 << 20));
  const int64_t frameTicks = fpsNum > 0 ? int64_t(ticksPerSecond) * fpsDen / fpsNum : 0;
  m_keyInterval = std::max<int64_t>(1, int64_t(kKeyFrameSeconds) * ticksPerSecond - frameTicks);
  if (globalHeader) m_context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  // As many encoding threads as libx264 finds cores for (libavcodec's default is one).
  m_context->thread_count = 0;
  av_opt_set(m_context->priv_data, "preset", "medium", 0);
  // High profile whatever the quality: libx264 would switch to High 4:4:4
  // Predictive for lossless coding (crf 0), which browsers and phones refuse.
  av_opt_set(m_context->priv_data, "profile", "high", 0);
  av_opt_set_int(m_context->priv_data, "crf", std::max(crf, 1), 0);
  const int opened = avcodec_open2(m_context, codec, nullptr);
  if (opened < 0) {
    error = "the H.264 encoder cannot start: " + AvErrorText(opened);
    return false;
  }

  m_frame->format = AV_PIX_FMT_YUV420P;
  m_frame->width = evenWidth;
  m_frame->height = evenHeight;
  if (av_frame_get_buffer(m_frame, 0) < 0) {
    error = "not enough memory for the H.264 encoder";
    return false;
  }
  // Black until a picture comes.
  std::memset(m_frame->data[0], 16, size_t(m_frame->linesize[0]) * evenHeight);
  std::memset(m_frame->data[1], 128, size_t(m_frame->linesize[1]) * (evenHeight / 2));
  std::memset(m_frame->data[2], 128, size_t(m_frame->linesize[2]) * (evenHeight / 2));
  for (int v = 0; v < 256; ++v) {
    m_lumaRange[v] = uint8_t(16 + (v * 219 + 127) / 255);
    m_chromaRange[v] = uint8_t(128 + ((v - 128) * 224 + (v >= 128 ? 127 : -127)) / 255);
  }
  return true;
}

void H264Encoder::CopyPicture(const Yuv420Picture& picture) {
  const int evenWidth = m_context->width, evenHeight = m_context->height;
  auto narrow = [](const uint8_t* table, const uint8_t* from, uint8_t* to, int count) {
    for (int x = 0; x < count; ++x) to[x] = table[from[x]];
  };
  for (int y = 0; y < evenHeight; ++y) {
    // An odd height: the last row once more; an odd width: the last column.
    const uint8_t* from = picture.y.data() + size_t(std::min(y, m_height - 1)) * size_t(picture.lumaStride);
    uint8_t* to = m_frame->data[0] + size_t(y) * size_t(m_frame->linesize[0]);
    narrow(m_lumaRange, from, to, m_width);
    if (evenWidth != m_width) to[m_width] = to[m_width - 1];
  }
  // The chroma planes already cover the even size: half of it, rounded up.
  for (int plane = 1; plane <= 2; ++plane) {
    const std::vector<uint8_t>& samples = plane == 1 ? picture.cb : picture.cr;
    for (int y = 0; y < evenHeight / 2; ++y)
      narrow(m_chromaRange, samples.data() + size_t(y) * size_t(picture.chromaStride),
             m_frame->data[plane] + size_t(y) * size_t(m_frame->linesize[plane]), evenWidth / 2);
  }
}

bool H264Encoder::Show(const Yuv420Picture* picture, int64_t pts, Muxer& muxer, std::string& error) {
  if (m_shownFrom >= 0 && !Send(m_shownFrom, pts - m_shownFrom, muxer, error)) return false;
  if (picture) {
    // The encoder may still hold the frame sent last: it gets its own copy.
    if (av_frame_make_writable(m_frame) < 0) {
      error = "not enough memory to convert a frame for H.264";
      return false;
    }
    CopyPicture(*picture);
  }
  m_shownFrom = pts;
  return true;
}

bool H264Encoder::Send(int64_t pts, int64_t duration, Muxer& muxer, std::string& error) {
  m_frame->pts = pts;
  m_frame->pict_type = AV_PICTURE_TYPE_NONE;
  if (pts >= m_nextKey) {
    m_frame->pict_type = AV_PICTURE_TYPE_I;
    m_nextKey = pts + m_keyInterval;
  }
  m_durations[pts] = duration;
  const int sent = avcodec_send_frame(m_context, m_frame);
  if (sent < 0) {
    error = "the H.264 encoder failed: " + AvErrorText(sent);
    return false;
  }
  return Drain(muxer, error);
}

bool H264Encoder::Finish(int64_t endPts, Muxer& muxer, std::string& error) {
  if (m_shownFrom >= 0 && !Send(m_shownFrom, endPts - m_shownFrom, muxer, error)) return false;
  m_shownFrom = -1;
  avcodec_send_frame(m_context, nullptr);
  return Drain(muxer, error);
}

bool H264Encoder::Drain(Muxer& muxer, std::string& error) {
  for (;;) {
    const int received = avcodec_receive_packet(m_context, m_packet);
    if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return true;
    if (received < 0) {
      error = "the H.264 encoder failed: " + AvErrorText(received);
      return false;
    }
    const auto known = m_durations.find(m_packet->pts);
    if (known != m_durations.end()) {
      m_packet->duration = known->second;
      m_durations.erase(known);
    }
    if (!muxer.Write(m_packet, m_stream, m_context->time_base.den, error)) return false;
  }
}
