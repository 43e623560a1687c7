// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Decoding an AMR storage file into a 16-bit PCM WAV file.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "audio/amr_decoder.h"
#include "audio/wav_writer.h"

// Decodes the narrow-band track at `amrPath` with the AMR-NB decoder, or a
// wide-band one with the AMR-WB decoder, and writes it to `wavPath`, one
// 20 ms block of every channel after the other. A truncated last block is
// dropped. Returns 1 when the whole track was written, 0 when the track
// cannot be opened (no WAV file is made then), the WAV file cannot be
// created, the decoder cannot start, or the WAV file could not be finished.
int ConvertAmrToWav(const char* amrPath, const char* wavPath);
// The same for a track of `size` bytes held in memory.
int ConvertAmrTrackToWav(const uint8_t* track, size_t size, const char* wavPath);

// The same conversion in steps, for a caller that watches the samples go by
// or stops it half way.
class AmrToWav {
 public:
  AmrToWav() = default;
  ~AmrToWav();
  AmrToWav(const AmrToWav&) = delete;
  AmrToWav& operator=(const AmrToWav&) = delete;

  // Opens the track and creates the WAV file. False when the track cannot be
  // opened (no WAV file is made) or the WAV file cannot be created.
  bool Open(const char* amrPath, const char* wavPath);
  bool Open(const uint8_t* track, size_t size, const char* wavPath);
  int channels() const { return m_decoder.channels(); }
  int sampleRate() const { return m_decoder.sampleRate(); }

  // Each block's samples, one pointer per channel, once they are written.
  using BlockSink = std::function<void(const short* const* channels, int frames)>;
  // Decodes and writes block after block until the track ends, or until
  // `stop` is set (checked before every block). True when the track ended.
  bool Run(const std::atomic<bool>* stop = nullptr, const BlockSink& sink = {});
  // Finishes the WAV file. True when it was written whole and the decoder
  // ran; without a decoder the file is still a valid, empty WAV file.
  bool Finish();

 private:
  bool CreateWav(const char* wavPath);

  AmrBlockDecoder m_decoder;
  WavWriter* m_writer = nullptr;
  bool m_started = false;
};
