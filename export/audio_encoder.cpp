// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "export/audio_encoder.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

#include "ffmpeg/av_error.h"
#include "export/muxer.h"

namespace {

// AAC's rate for speech from a phone: about 32 kbit/s a channel at 8 kHz,
// more for wide-band sound, within what the encoder allows per channel.
int64_t AacBitRate(int channels, int sampleRate) {
  return int64_t(channels) * (sampleRate <= 8000 ? 32000 : 48000);
}

constexpr int kFlacLevel = 0;
constexpr int kFlacBlockSize = 4608;

}  // namespace

AudioEncoder::~AudioEncoder() {
  av_packet_free(&m_packet);
  av_frame_free(&m_frame);
  avcodec_free_context(&m_context);
}

bool AudioEncoder::Open(const char* codecName, int channels, int sampleRate, bool globalHeader,
                        std::string& error) {
  const AVCodec* codec = avcodec_find_encoder_by_name(codecName);
  if (!codec) {
    error = std::string("this FFmpeg has no ") + codecName + " encoder";
    return false;
  }
  m_context = avcodec_alloc_context3(codec);
  m_frame = av_frame_alloc();
  m_packet = av_packet_alloc();
  if (!m_context || !m_frame || !m_packet) {
    error = "not enough memory for the sound encoder";
    return false;
  }
  m_channels = channels;
  // Both encoders take one of these; the samples are converted to it.
  const AVSampleFormat wanted = std::strcmp(codecName, "aac") == 0 ? AV_SAMPLE_FMT_FLTP
                                                                   : AV_SAMPLE_FMT_S16;
  m_context->sample_fmt = wanted;
  m_context->sample_rate = sampleRate;
  av_channel_layout_default(&m_context->ch_layout, channels);
  m_context->time_base = AVRational{1, sampleRate};
  if (wanted == AV_SAMPLE_FMT_FLTP) m_context->bit_rate = AacBitRate(channels, sampleRate);
  if (globalHeader) m_context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  // Lossless at any level: the lightest search keeps the sound decode the
  // export's only real cost, and speech at 8 kHz gains little from more.
  if (wanted == AV_SAMPLE_FMT_S16) {
    m_context->compression_level = kFlacLevel;
    // Blocks of 4608 samples, the largest that every FLAC decoder takes
    // (the streamable subset), rather than the level's 1152 at 8 kHz: a
    // quarter of the frames and their headers, checksums and allocations.
    m_context->frame_size = kFlacBlockSize;
  }
  const int opened = avcodec_open2(m_context, codec, nullptr);
  if (opened < 0) {
    error = std::string("the ") + codecName + " encoder cannot start: " + AvErrorText(opened);
    return false;
  }
  m_frameSize = m_context->frame_size > 0 ? m_context->frame_size : 1024;
  m_pending.reserve(size_t(m_frameSize) * channels);
  return true;
}

bool AudioEncoder::Add(const int16_t* interleaved, size_t count, Muxer& muxer, std::string& error) {
  const size_t frameValues = size_t(m_frameSize) * m_channels;
  const int16_t* end = interleaved + count * m_channels;
  while (interleaved < end) {
    const size_t take = std::min(size_t(end - interleaved), frameValues - m_pending.size());
    m_pending.insert(m_pending.end(), interleaved, interleaved + take);
    interleaved += take;
    if (m_pending.size() == frameValues && !EncodePending(m_frameSize, muxer, error)) return false;
  }
  return true;
}

bool AudioEncoder::EncodePending(size_t count, Muxer& muxer, std::string& error) {
  av_frame_unref(m_frame);
  m_frame->format = m_context->sample_fmt;
  m_frame->nb_samples = int(count);
  m_frame->sample_rate = m_context->sample_rate;
  av_channel_layout_copy(&m_frame->ch_layout, &m_context->ch_layout);
  if (av_frame_get_buffer(m_frame, 0) < 0) {
    error = "not enough memory for the sound encoder";
    return false;
  }
  if (m_context->sample_fmt == AV_SAMPLE_FMT_S16) {
    std::memcpy(m_frame->data[0], m_pending.data(), count * m_channels * sizeof(int16_t));
  } else {
    for (int c = 0; c < m_channels; ++c) {
      float* plane = reinterpret_cast<float*>(m_frame->extended_data[c]);
      for (size_t i = 0; i < count; ++i) plane[i] = float(m_pending[i * m_channels + c]) / 32768.0f;
    }
  }
  m_pending.clear();
  m_frame->pts = m_nextPts;
  m_nextPts += int64_t(count);
  const int sent = avcodec_send_frame(m_context, m_frame);
  if (sent < 0) {
    error = "the sound encoder failed: " + AvErrorText(sent);
    return false;
  }
  return Drain(muxer, error);
}

bool AudioEncoder::Finish(Muxer& muxer, std::string& error) {
  if (!m_pending.empty() && !EncodePending(m_pending.size() / m_channels, muxer, error))
    return false;
  avcodec_send_frame(m_context, nullptr);
  return Drain(muxer, error);
}

bool AudioEncoder::Drain(Muxer& muxer, std::string& error) {
  for (;;) {
    const int received = avcodec_receive_packet(m_context, m_packet);
    if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return true;
    if (received < 0) {
      error = "the sound encoder failed: " + AvErrorText(received);
      return false;
    }
    if (!muxer.Write(m_packet, m_stream, m_context->time_base.den, error)) return false;
  }
}
