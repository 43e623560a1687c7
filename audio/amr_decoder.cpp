// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "audio/amr_decoder.h"

#include <cstdlib>
#include <opencore-amrnb/interf_dec.h>
#include <opencore-amrwb/dec_if.h>

namespace {

// Frame types that are not decoded: the channel repeats its previous block.
// Narrow band: the other SID kinds and the reserved types (9 to 14). Wide
// band: the reserved types (10 to 13); its SID (9), lost (14) and no-data
// (15) frames go to the decoder.
bool RepeatsPreviousBlock(bool wide, int frameType) {
  return wide ? frameType >= 10 && frameType <= 13 : frameType >= 9 && frameType <= 14;
}

}  // namespace

AmrBlockDecoder::~AmrBlockDecoder() {
  if (m_state) {
    if (m_wide)
      D_IF_exit(m_state);
    else
      Decoder_Interface_exit(m_state);
  }
  if (m_reader) AmrClose(m_reader);
  std::free(m_samples);
}

bool AmrBlockDecoder::Open(const char* amrPath) {
  m_reader = AmrOpen(amrPath);
  return Prepare();
}

bool AmrBlockDecoder::OpenMemory(const uint8_t* track, size_t size) {
  m_reader = AmrOpenMemory(track, size);
  return Prepare();
}

bool AmrBlockDecoder::Prepare() {
  if (!m_reader) return false;
  m_wide = AmrIsWideBand(m_reader->format);
  // Zero-filled, so that a channel whose first frame is not decoded is silent.
  const int perBlock = samplesPerBlock();
  m_samples = static_cast<short*>(std::calloc(size_t(channels() * perBlock), sizeof(short)));
  if (!m_samples) return false;
  for (int k = 0; k < channels(); ++k) m_channelSamples[k] = m_samples + k * perBlock;
  return true;
}

bool AmrBlockDecoder::Start() {
  if (!m_samples) return false;
  m_state = m_wide ? D_IF_init() : Decoder_Interface_init();
  return m_state != nullptr;
}

bool AmrBlockDecoder::Next() {
  if (!m_state || !AmrReadBlock(m_reader)) return false;
  for (int k = 0; k < channels(); ++k) {
    // This channel and the ones after it keep the previous block.
    if (RepeatsPreviousBlock(m_wide, AmrFrameType(m_reader->frame[k][0]))) break;
    if (m_wide)
      D_IF_decode(m_state, m_reader->frame[k], m_channelSamples[k], 0);
    else
      Decoder_Interface_Decode(m_state, m_reader->frame[k], m_channelSamples[k], 0);
  }
  return true;
}

int64_t CountAmrBlocks(const char* amrPath) {
  AmrReader* reader = AmrOpen(amrPath);
  if (!reader) return -1;
  int64_t blocks = 0;
  while (AmrReadBlock(reader)) ++blocks;
  AmrClose(reader);
  return blocks;
}
