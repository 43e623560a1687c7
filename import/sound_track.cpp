#include "import/sound_track.h"

#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
}

#include "export/av_error.h"

namespace {

// A first sound sample later than this is a broken time stamp, not a video.
constexpr double kLatestStartMs = 24.0 * 3600 * 1000;

}  // namespace

SoundTrackBuilder::~SoundTrackBuilder() { swr_free(&m_resampler); }

bool SoundTrackBuilder::Open(AmrBand band, int bitrate, double limitMs) {
  m_rate = AmrSampleRate(band);
  m_limitMs = limitMs;
  const char* magic = AmrMagic(band);
  m_magicLength = std::strlen(magic);
  m_track.assign(magic, magic + m_magicLength);
  return m_encoder.Open(band, bitrate);
}

double SoundTrackBuilder::endMs() const {
  return (double(m_frameEnds.size()) * double(m_encoder.frameSamples()) + double(m_pending.size())) *
         1000.0 / m_rate;
}

void SoundTrackBuilder::Place(const int16_t* samples, size_t count) {
  const size_t frame = m_encoder.frameSamples();
  const double limitSamples = m_limitMs * m_rate / 1000.0 + double(frame);
  while (count > 0) {
    if (double(m_frameEnds.size() * frame) > limitSamples) return;  // beyond what is needed
    const size_t take = std::min(count, frame - m_pending.size());
    m_pending.insert(m_pending.end(), samples, samples + take);
    samples += take;
    count -= take;
    if (m_pending.size() == frame) {
      m_encoder.EncodeFrame(m_pending.data(), m_track);
      m_frameEnds.push_back(m_track.size());
      m_pending.clear();
    }
  }
}

void SoundTrackBuilder::EncodeSilence(int64_t frames) {
  // The encoder soon gives the same bytes for every frame of silence; from
  // then on they are repeated instead of encoded again.
  const std::vector<int16_t> silence(m_encoder.frameSamples(), 0);
  std::vector<uint8_t> last;
  for (int64_t i = 0; i < frames; ++i) {
    const size_t begin = m_track.size();
    if (last.empty()) {
      m_encoder.EncodeFrame(silence.data(), m_track);
      const size_t previous = m_frameEnds.size() >= 2 ? m_frameEnds[m_frameEnds.size() - 2] : 0;
      const size_t previousEnd = m_frameEnds.empty() ? 0 : m_frameEnds.back();
      if (i > 0 && m_track.size() - begin == previousEnd - previous &&
          std::equal(m_track.begin() + long(begin), m_track.end(), m_track.begin() + long(previous)))
        last.assign(m_track.begin() + long(begin), m_track.end());
    } else {
      m_track.insert(m_track.end(), last.begin(), last.end());
    }
    m_frameEnds.push_back(m_track.size());
  }
}

bool SoundTrackBuilder::AddFrame(const AVFrame* frame, double timeMs, std::string& error) {
  if (frame->nb_samples <= 0) return true;
  if (!m_placed) {
    m_placed = true;
    if (timeMs > kLatestStartMs) {
      error = "its sound starts " + std::to_string(int64_t(timeMs / 1000)) +
              " s into the video, which its time stamps cannot mean";
      return false;
    }
    const int64_t at = std::llround(std::min(timeMs, m_limitMs) * m_rate / 1000.0);
    if (at < 0) m_skip = -at;
    // Silence up to the sound's first sample.
    if (at > 0) {
      const int64_t frame = int64_t(m_encoder.frameSamples());
      EncodeSilence(at / frame);
      const std::vector<int16_t> zeros(size_t(at % frame), 0);
      Place(zeros.data(), zeros.size());
    }
  }
  if (!m_resampler || frame->format != m_inputFormat || frame->sample_rate != m_inputRate ||
      frame->ch_layout.nb_channels != m_inputChannels) {
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
  const int room = swr_get_out_samples(m_resampler, frame->nb_samples);
  if (room < 0) {
    error = "its sound cannot be converted";
    return false;
  }
  m_converted.resize(size_t(room));
  uint8_t* out = reinterpret_cast<uint8_t*>(m_converted.data());
  const int got = swr_convert(m_resampler, &out, room, const_cast<const uint8_t**>(frame->extended_data),
                              frame->nb_samples);
  if (got < 0) {
    error = "its sound cannot be converted: " + AvErrorText(got);
    return false;
  }
  size_t count = size_t(got);
  const int16_t* samples = m_converted.data();
  const size_t dropped = size_t(std::min<int64_t>(m_skip, int64_t(count)));
  m_skip -= int64_t(dropped);
  Place(samples + dropped, count - dropped);
  return true;
}

void SoundTrackBuilder::Finish(int64_t amrFrames) {
  // A last part frame is completed with silence.
  if (!m_pending.empty() && int64_t(m_frameEnds.size()) < amrFrames) {
    m_pending.resize(m_encoder.frameSamples(), 0);
    m_encoder.EncodeFrame(m_pending.data(), m_track);
    m_frameEnds.push_back(m_track.size());
  }
  m_pending.clear();
  if (int64_t(m_frameEnds.size()) > amrFrames) {
    m_frameEnds.resize(size_t(amrFrames));
    m_track.resize(m_frameEnds.empty() ? m_magicLength : m_frameEnds.back());
  }
  EncodeSilence(amrFrames - int64_t(m_frameEnds.size()));
}
