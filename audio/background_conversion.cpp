// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "audio/background_conversion.h"

#include <algorithm>
#include <cstring>

BackgroundConversion::~BackgroundConversion() { Cancel(); }

bool BackgroundConversion::Start(const std::string& amrPath, const std::string& wavPath,
                                 int64_t blocks) {
  Cancel();
  m_pcm.reset();
  m_whole = false;
  if (blocks < 0) return false;
  auto conversion = std::make_unique<AmrToWav>();
  if (!conversion->Open(amrPath.c_str(), wavPath.c_str())) return false;
  const int channels = conversion->channels();
  const uint32_t rate = uint32_t(conversion->sampleRate());
  auto pcm = std::make_shared<StreamedPcm>(channels, rate, uint64_t(blocks) * (rate / 50));
  if (!pcm->allocated()) return false;

  m_conversion = std::move(conversion);
  m_pcm = pcm;
  m_stop = false;
  m_thread = std::thread([this, pcm] {
    uint64_t done = 0;
    const auto keep = [&](const short* const* data, int frames) {
      // Never past the room counted for: the count and the decoder delimit
      // blocks alike, but the memory must not depend on it.
      const uint64_t count = std::min<uint64_t>(uint64_t(frames), pcm->frameCount - done);
      int16_t* out = pcm->samples.get() + done * pcm->channels;
      if (pcm->channels == 1) {
        std::memcpy(out, data[0], count * sizeof(int16_t));
      } else {
        for (uint64_t i = 0; i < count; ++i)
          for (int k = 0; k < pcm->channels; ++k) *out++ = data[k][i];
      }
      done += count;
      pcm->ready.store(done, std::memory_order_release);
    };
    const bool ended = m_conversion->Run(&m_stop, keep);
    m_whole = m_conversion->Finish() && ended;
  });
  return true;
}

void BackgroundConversion::Join() {
  if (m_thread.joinable()) m_thread.join();
  m_conversion.reset();
}

void BackgroundConversion::Cancel() {
  m_stop = true;
  Join();
}

bool BackgroundConversion::Wait() {
  Join();
  return m_whole;
}
