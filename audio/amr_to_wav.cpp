// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "audio/amr_to_wav.h"

AmrToWav::~AmrToWav() {
  if (m_writer) WavClose(m_writer);
}

bool AmrToWav::Open(const char* amrPath, const char* wavPath) {
  return m_decoder.Open(amrPath) && CreateWav(wavPath);
}

bool AmrToWav::Open(const uint8_t* track, size_t size, const char* wavPath) {
  return m_decoder.OpenMemory(track, size) && CreateWav(wavPath);
}

bool AmrToWav::CreateWav(const char* wavPath) {
  m_writer = WavCreate(wavPath, short(channels()), 16, sampleRate());
  return m_writer != nullptr;
}

bool AmrToWav::Run(const std::atomic<bool>* stop, const BlockSink& sink) {
  if (!m_writer) return false;
  if (!m_started && !m_decoder.Start()) return false;
  m_started = true;
  const short count = short(channels());
  const int frames = m_decoder.samplesPerBlock();
  for (;;) {
    if (stop && stop->load(std::memory_order_relaxed)) return false;
    if (!m_decoder.Next()) return true;
    WavWriteSamples(m_writer, m_decoder.ChannelSamples(), frames, count);
    if (sink) sink(m_decoder.ChannelSamples(), frames);
  }
}

bool AmrToWav::Finish() {
  if (!m_writer) return false;
  const bool closed = WavClose(m_writer) != 0;
  m_writer = nullptr;
  return closed && m_started;
}

namespace {

int RunToEnd(AmrToWav& conversion) {
  const bool ran = conversion.Run();
  return conversion.Finish() && ran ? 1 : 0;
}

}  // namespace

int ConvertAmrToWav(const char* amrPath, const char* wavPath) {
  AmrToWav conversion;
  return conversion.Open(amrPath, wavPath) ? RunToEnd(conversion) : 0;
}

int ConvertAmrTrackToWav(const uint8_t* track, size_t size, const char* wavPath) {
  AmrToWav conversion;
  return conversion.Open(track, size, wavPath) ? RunToEnd(conversion) : 0;
}
