#include "export/video_encoder.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include "export/av_error.h"
#include "export/muxer.h"

H264Encoder::~H264Encoder() {
  sws_freeContext(m_scaler);
  av_packet_free(&m_packet);
  av_frame_free(&m_frame);
  avcodec_free_context(&m_context);
}

bool H264FrameSizeSupported(int width, int height) {
  constexpr int64_t kMaxMacroblocks = 36864;
  constexpr int kMaxSide = 8688;  // sqrt(8 x kMaxMacroblocks) macroblocks of 16 pixels
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
  // What the conversion below produces: BT.601 in limited range.
  m_context->colorspace = AVCOL_SPC_SMPTE170M;
  m_context->color_range = AVCOL_RANGE_MPEG;
  if (globalHeader) m_context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  // As many encoding threads as libx264 finds cores for (libavcodec's default is one).
  m_context->thread_count = 0;
  av_opt_set(m_context->priv_data, "preset", "medium", 0);
  av_opt_set_int(m_context->priv_data, "crf", crf, 0);
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

  // Blue-green-red rows take swscale's direct converter to 4:2:0 (BT.601,
  // limited range), far quicker than its general path; the padding copy
  // below puts the bytes in that order.
  m_scaler = sws_getContext(evenWidth, evenHeight, AV_PIX_FMT_BGR24, evenWidth, evenHeight,
                            AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (!m_scaler) {
    error = "the colour conversion for H.264 cannot start";
    return false;
  }
  m_padded.resize(size_t(evenWidth) * evenHeight * 3);
  for (int v = 0; v < 256; ++v) {
    m_lumaRange[v] = uint8_t(16 + (v * 219 + 127) / 255);
    m_chromaRange[v] = uint8_t(128 + ((v - 128) * 224 + (v >= 128 ? 127 : -127)) / 255);
  }
  return true;
}

bool H264Encoder::ConvertPicture(const RgbPicture& picture) {
  const int evenWidth = m_context->width, evenHeight = m_context->height;
  const size_t rowBytes = size_t(m_width) * 3, paddedRowBytes = size_t(evenWidth) * 3;
  for (int y = 0; y < m_height; ++y) {
    uint8_t* row = m_padded.data() + size_t(y) * paddedRowBytes;
    const uint8_t* from = picture.At(0, y);
    for (size_t i = 0; i < rowBytes; i += 3) {
      row[i] = from[i + 2];
      row[i + 1] = from[i + 1];
      row[i + 2] = from[i];
    }
    // An odd width: the last column once more.
    if (evenWidth != m_width) std::memcpy(row + rowBytes, row + rowBytes - 3, 3);
  }
  // An odd height: the last row once more.
  if (evenHeight != m_height)
    std::memcpy(m_padded.data() + size_t(m_height) * paddedRowBytes,
                m_padded.data() + size_t(m_height - 1) * paddedRowBytes, paddedRowBytes);

  if (av_frame_make_writable(m_frame) < 0) return false;
  const uint8_t* source[1] = {m_padded.data()};
  const int sourceStride[1] = {int(paddedRowBytes)};
  return sws_scale(m_scaler, source, sourceStride, 0, evenHeight, m_frame->data,
                   m_frame->linesize) == evenHeight;
}

bool H264Encoder::CopyPicture(const Yuv420Picture& picture) {
  if (av_frame_make_writable(m_frame) < 0) return false;
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
  return true;
}

bool H264Encoder::Encode(const RgbPicture* picture, int64_t pts, int64_t duration, Muxer& muxer,
                         std::string& error) {
  if (picture && !ConvertPicture(*picture)) {
    error = "not enough memory to convert a frame for H.264";
    return false;
  }
  return Send(pts, duration, muxer, error);
}

bool H264Encoder::Encode(const Yuv420Picture& picture, int64_t pts, int64_t duration, Muxer& muxer,
                         std::string& error) {
  if (!CopyPicture(picture)) {
    error = "not enough memory to convert a frame for H.264";
    return false;
  }
  return Send(pts, duration, muxer, error);
}

bool H264Encoder::Send(int64_t pts, int64_t duration, Muxer& muxer, std::string& error) {
  m_frame->pts = pts;
  m_durations[pts] = duration;
  const int sent = avcodec_send_frame(m_context, m_frame);
  if (sent < 0) {
    error = "the H.264 encoder failed: " + AvErrorText(sent);
    return false;
  }
  return Drain(muxer, error);
}

bool H264Encoder::Finish(Muxer& muxer, std::string& error) {
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
