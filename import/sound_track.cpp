// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "import/sound_track.h"

#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
}

#include "ffmpeg/av_error.h"
#include "import/import_worker.h"

namespace {

// Time stamps that differ from where the sound so far ends by less than
// this are the container's rounding, not a gap or an overlap.
constexpr double kFollowToleranceMs = 15;
// Silent frames encoded before one is taken for all: the encoder's state
// settles from the sound before it.
constexpr int kSilenceSettlingFrames = 8;
// Beyond any clip: keeps the sample arithmetic far from overflowing.
constexpr double kFarthestSample = 1e15;
// Frames handed to the worker at once (a second of sound), and how many such
// batches may wait: a few hundred kilobytes of samples.
constexpr size_t kBatchFrames = 50;
constexpr size_t kBatchBacklog = 16;

}  // namespace

SoundTrackBuilder::~SoundTrackBuilder() { swr_free(&m_resampler); }

bool SoundTrackBuilder::Open(AmrBand band, int bitrate, double limitMs) {
  m_band = band;
  m_rate = AmrSampleRate(band);
  if (!m_encoder.Open(band, bitrate)) return false;
  m_frameSamples = int64_t(m_encoder.frameSamples());
  m_limitSamples = std::min(kFarthestSample, limitMs * m_rate / 1000.0 + double(m_frameSamples));
  return true;
}

double SoundTrackBuilder::endMs() const { return double(m_frontier) * 1000.0 / m_rate; }

double SoundTrackBuilder::EndWithin(double pictureEndMs) const {
  const double lastSlot = pictureEndMs * m_rate / 1000.0 / double(m_frameSamples);
  int64_t previous = -1, end = 0;
  const auto follows = [&](int64_t slot) { return double(slot) <= lastSlot || (previous >= 0 && slot == previous + 1); };
  for (const int64_t slot : m_slots) {
    if (!follows(slot)) return double(end) * 1000.0 / m_rate;
    previous = slot;
    end = (slot + 1) * m_frameSamples;
  }
  if (m_pendingSlot >= 0 && follows(m_pendingSlot))
    end = m_pendingSlot * m_frameSamples + int64_t(m_pending.size());
  return double(end) * 1000.0 / m_rate;
}

void SoundTrackBuilder::Encode(const std::vector<int16_t>& samples) {
  for (size_t at = 0; at + size_t(m_frameSamples) <= samples.size(); at += size_t(m_frameSamples)) {
    m_encoder.EncodeFrame(samples.data() + at, m_frames);
    m_frameEnds.push_back(m_frames.size());
  }
}

void SoundTrackBuilder::PostBatch() {
  if (m_batch.empty()) return;
  m_worker->Post([this, batch = std::move(m_batch)] { Encode(batch); }, kBatchBacklog);
  m_batch = {};
}

void SoundTrackBuilder::EncodePending() {
  if (m_pendingSlot < 0) return;
  m_pending.resize(size_t(m_frameSamples), 0);
  if (m_worker) {
    m_batch.insert(m_batch.end(), m_pending.begin(), m_pending.end());
    if (m_batch.size() >= kBatchFrames * size_t(m_frameSamples)) PostBatch();
  } else {
    Encode(m_pending);
  }
  m_slots.push_back(m_pendingSlot);
  m_pending.clear();
  m_pendingSlot = -1;
}

void SoundTrackBuilder::Place(const int16_t* samples, size_t count) {
  // Samples before the start, or over sound already placed, are dropped.
  const int64_t skip = std::min<int64_t>(int64_t(count), std::max<int64_t>(0, m_frontier - m_position));
  samples += skip;
  count -= size_t(skip);
  m_position += skip;
  while (count > 0) {
    if (double(m_position) >= m_limitSamples) {
      m_position += int64_t(count);
      return;
    }
    const int64_t slot = m_position / m_frameSamples, offset = m_position % m_frameSamples;
    if (slot != m_pendingSlot) {
      EncodePending();
      m_pendingSlot = slot;
    }
    // A gap within one 20 ms step is silence too.
    if (int64_t(m_pending.size()) < offset) m_pending.resize(size_t(offset), 0);
    const size_t take = std::min(count, size_t(m_frameSamples - offset));
    m_pending.insert(m_pending.end(), samples, samples + take);
    samples += take;
    count -= take;
    m_position += int64_t(take);
    m_frontier = std::max(m_frontier, m_position);
    if (int64_t(m_pending.size()) == m_frameSamples) EncodePending();
  }
}

bool SoundTrackBuilder::Convert(const uint8_t* const* input, int samples, std::string& error) {
  const int room = swr_get_out_samples(m_resampler, samples);
  if (room < 0) {
    error = "its sound cannot be converted";
    return false;
  }
  m_converted.resize(size_t(room) + 1);
  uint8_t* out = reinterpret_cast<uint8_t*>(m_converted.data());
  const int got = swr_convert(m_resampler, &out, room, const_cast<const uint8_t**>(input), samples);
  if (got < 0) {
    error = "its sound cannot be converted: " + AvErrorText(got);
    return false;
  }
  Place(m_converted.data(), size_t(got));
  return true;
}

bool SoundTrackBuilder::Drain(std::string& error) {
  return !m_resampler || Convert(nullptr, 0, error);
}

bool SoundTrackBuilder::AddFrame(const AVFrame* frame, double timeMs, std::string& error) {
  if (frame->nb_samples <= 0 || frame->sample_rate <= 0) return true;
  if (!std::isfinite(timeMs)) timeMs = m_expectedMs;
  if (!m_placed) {
    m_placed = true;
    m_position = std::llround(std::clamp(timeMs * m_rate / 1000.0, -kFarthestSample, kFarthestSample));
  } else if (std::abs(timeMs - m_expectedMs) > kFollowToleranceMs) {
    const double jump = std::clamp((timeMs - m_expectedMs) * m_rate / 1000.0, -kFarthestSample, kFarthestSample);
    m_position = std::clamp<int64_t>(m_position + std::llround(jump), int64_t(-kFarthestSample),
                                     int64_t(kFarthestSample));
  }
  m_expectedMs = timeMs + double(frame->nb_samples) * 1000.0 / frame->sample_rate;
  if (!m_resampler || frame->format != m_inputFormat || frame->sample_rate != m_inputRate ||
      frame->ch_layout.nb_channels != m_inputChannels) {
    // What the old resampler still holds belongs before this frame.
    if (!Drain(error)) return false;
    swr_free(&m_resampler);
    AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
    // Channels without named positions are taken in the usual order.
    AVChannelLayout input{};
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
      av_channel_layout_default(&input, frame->ch_layout.nb_channels);
    else
      av_channel_layout_copy(&input, &frame->ch_layout);
    const int made = swr_alloc_set_opts2(&m_resampler, &mono, AV_SAMPLE_FMT_S16, m_rate, &input,
                                         AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&input);
    if (made < 0 || swr_init(m_resampler) < 0) {
      error = "its sound cannot be converted";
      return false;
    }
    m_inputFormat = frame->format;
    m_inputRate = frame->sample_rate;
    m_inputChannels = frame->ch_layout.nb_channels;
  }
  return Convert(frame->extended_data, frame->nb_samples, error);
}

void SoundTrackBuilder::Finish(int64_t amrFrames) {
  if (m_pendingSlot >= 0 && m_pendingSlot < amrFrames) EncodePending();
  if (m_worker) {
    PostBatch();
    m_worker->Wait();
    m_worker = nullptr;
  }
  // The encoder gives no two silent frames alike; one of them, repeated,
  // decodes as silence and costs no encoding per frame.
  std::vector<uint8_t> silence;
  const std::vector<int16_t> zeros(size_t(m_frameSamples), 0);
  for (int i = 0; i < kSilenceSettlingFrames; ++i) {
    silence.clear();
    m_encoder.EncodeFrame(zeros.data(), silence);
  }
  const char* magic = AmrMagic(m_band);
  m_track.assign(magic, magic + std::strlen(magic));
  size_t next = 0;
  for (int64_t slot = 0; slot < amrFrames; ++slot) {
    while (next < m_slots.size() && m_slots[next] < slot) ++next;
    if (next < m_slots.size() && m_slots[next] == slot) {
      const size_t begin = next ? m_frameEnds[next - 1] : 0;
      m_track.insert(m_track.end(), m_frames.begin() + long(begin), m_frames.begin() + long(m_frameEnds[next]));
    } else {
      m_track.insert(m_track.end(), silence.begin(), silence.end());
    }
  }
}
