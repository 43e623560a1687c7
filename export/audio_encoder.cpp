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

}  // namespace

AudioEncoder::~AudioEncoder() {
  av_packet_free(&m_packet);
  av_frame_free(&m_frame);
  avcodec_free_context(&m_context);
}

bool AudioEncoder::Open(const char* codecName, int channels, int sampleRate, bool globalHeader,
                        std::string& error) {
  if (std::strcmp(codecName, "flac") == 0) return OpenFlac(channels, sampleRate, error);
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
  m_context->sample_fmt = AV_SAMPLE_FMT_FLTP;
  m_context->sample_rate = sampleRate;
  av_channel_layout_default(&m_context->ch_layout, channels);
  m_context->time_base = AVRational{1, sampleRate};
  m_context->bit_rate = AacBitRate(channels, sampleRate);
  if (globalHeader) m_context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  const int opened = avcodec_open2(m_context, codec, nullptr);
  if (opened < 0) {
    error = std::string("the ") + codecName + " encoder cannot start: " + AvErrorText(opened);
    return false;
  }
  m_frameSize = m_context->frame_size > 0 ? m_context->frame_size : 1024;
  m_pending.reserve(size_t(m_frameSize) * channels);
  return true;
}

// The context only describes the stream to the muxer: FLAC, with the
// STREAMINFO block as its extra data.
bool AudioEncoder::OpenFlac(int channels, int sampleRate, std::string& error) {
  m_context = avcodec_alloc_context3(nullptr);
  m_packet = av_packet_alloc();
  if (!m_context || !m_packet) {
    error = "not enough memory for the sound encoder";
    return false;
  }
  m_flac = std::make_unique<FlacEncoder>(channels, sampleRate);
  m_channels = channels;
  m_frameSize = FlacEncoder::kBlockSize;
  m_context->codec_type = AVMEDIA_TYPE_AUDIO;
  m_context->codec_id = AV_CODEC_ID_FLAC;
  m_context->sample_fmt = AV_SAMPLE_FMT_S16;
  m_context->bits_per_raw_sample = 16;
  m_context->sample_rate = sampleRate;
  av_channel_layout_default(&m_context->ch_layout, channels);
  m_context->time_base = AVRational{1, sampleRate};
  m_context->frame_size = m_frameSize;
  m_context->extradata = static_cast<uint8_t*>(av_mallocz(kFlacStreamInfoBytes + AV_INPUT_BUFFER_PADDING_SIZE));
  if (!m_context->extradata) {
    error = "not enough memory for the sound encoder";
    return false;
  }
  const auto info = m_flac->StreamInfo();
  std::memcpy(m_context->extradata, info.data(), info.size());
  m_context->extradata_size = kFlacStreamInfoBytes;
  m_pending.reserve(size_t(m_frameSize) * size_t(channels));
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
  if (m_flac) return WriteFlacFrame(count, muxer, error);
  av_frame_unref(m_frame);
  m_frame->format = m_context->sample_fmt;
  m_frame->nb_samples = int(count);
  m_frame->sample_rate = m_context->sample_rate;
  av_channel_layout_copy(&m_frame->ch_layout, &m_context->ch_layout);
  if (av_frame_get_buffer(m_frame, 0) < 0) {
    error = "not enough memory for the sound encoder";
    return false;
  }
  for (int c = 0; c < m_channels; ++c) {
    float* plane = reinterpret_cast<float*>(m_frame->extended_data[c]);
    for (size_t i = 0; i < count; ++i) plane[i] = float(m_pending[i * m_channels + c]) / 32768.0f;
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

bool AudioEncoder::WriteFlacFrame(size_t count, Muxer& muxer, std::string& error) {
  m_flac->EncodeFrame(m_pending.data(), int(count), m_flacFrame);
  m_pending.clear();
  if (av_new_packet(m_packet, int(m_flacFrame.size())) < 0) {
    error = "not enough memory for the sound encoder";
    return false;
  }
  std::memcpy(m_packet->data, m_flacFrame.data(), m_flacFrame.size());
  m_packet->pts = m_packet->dts = m_nextPts;
  m_packet->duration = int64_t(count);
  m_nextPts += int64_t(count);
  const bool written = muxer.Write(m_packet, m_stream, m_context->time_base.den, error);
  av_packet_unref(m_packet);
  return written;
}

// The STREAMINFO of the whole stream, with its length and frame sizes, goes
// to the muxer as new extra data on an empty last packet; Matroska puts it
// in the track's header when the file ends.
bool AudioEncoder::WriteFlacStreamInfo(Muxer& muxer, std::string& error) {
  const auto info = m_flac->StreamInfo();
  uint8_t* side = av_packet_new_side_data(m_packet, AV_PKT_DATA_NEW_EXTRADATA, info.size());
  if (!side) {
    error = "not enough memory for the sound encoder";
    return false;
  }
  std::memcpy(side, info.data(), info.size());
  m_packet->pts = m_packet->dts = m_nextPts;
  const bool written = muxer.Write(m_packet, m_stream, m_context->time_base.den, error);
  av_packet_unref(m_packet);
  return written;
}

bool AudioEncoder::Finish(Muxer& muxer, std::string& error) {
  if (!m_pending.empty() && !EncodePending(m_pending.size() / m_channels, muxer, error))
    return false;
  if (m_flac) return WriteFlacStreamInfo(muxer, error);
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
