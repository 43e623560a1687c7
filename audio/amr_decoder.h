// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Decoding an AMR storage file one 20 ms block at a time, so that a caller
// can take the samples as it goes (the WAV conversion writes them, the
// export encodes them) without holding the whole track.
#pragma once

#include <cstddef>
#include <cstdint>

#include "audio/amr_reader.h"

class AmrBlockDecoder {
 public:
  AmrBlockDecoder() = default;
  ~AmrBlockDecoder();
  AmrBlockDecoder(const AmrBlockDecoder&) = delete;
  AmrBlockDecoder& operator=(const AmrBlockDecoder&) = delete;

  // Opens the track. False when it cannot be opened or is of no known kind.
  bool Open(const char* amrPath);
  // The same for a track held in memory, which must outlive the decoder.
  bool OpenMemory(const uint8_t* track, size_t size);
  // Starts the speech decoder for the open track; false when it cannot.
  bool Start();

  int channels() const { return m_reader->channels; }
  int sampleRate() const { return m_reader->sampleRate; }
  int samplesPerBlock() const { return m_reader->sampleRate / 50; }

  // Decodes the next block of every channel into ChannelSamples. A channel
  // whose frame is of a kind that is not decoded keeps its previous block,
  // and so do the channels after it. False once the track has ended (a
  // truncated last block is dropped).
  bool Next();
  const short* const* ChannelSamples() const { return m_channelSamples; }

 private:
  bool Prepare();

  AmrReader* m_reader = nullptr;
  void* m_state = nullptr;
  bool m_wide = false;
  short* m_samples = nullptr;  // every channel's block, one after the other
  short* m_channelSamples[AMR_MAX_CHANNELS] = {};
};

// The number of whole blocks the track at `amrPath` holds, read without
// decoding; -1 when it cannot be opened or is of no known kind. Each block
// is 20 ms of sound.
int64_t CountAmrBlocks(const char* amrPath);
