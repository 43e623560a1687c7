// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Any bytes as a sound track: the reader block by block, then the whole
// conversion to a WAV file, narrow or wide band as the magic says.
#include <unistd.h>

#include "audio/amr_reader.h"
#include "audio/amr_to_wav.h"
#include "audio/wav_writer.h"
#include "fuzz/fuzz_support.h"

namespace {

// Bytes in front of the first block: the magic, and the channel field of the
// multichannel formats.
size_t LeadBytes(int32_t format) {
  switch (format) {
    case amrNarrowBand: return 6;
    case amrWideBand: return 9;
    case amrNarrowBandMulti: return 12 + 4;
    default: return 15 + 4;
  }
}

// Reads the track the way the conversion does and counts its whole blocks.
uint64_t CountBlocks(const std::string& path, size_t size, int& channels, int& sampleRate) {
  AmrReader* reader = AmrOpen(path.c_str());
  if (!reader) return 0;
  Require(reader->format >= amrNarrowBand && reader->format <= amrWideBandMulti, "unknown format");
  channels = reader->channels;
  sampleRate = reader->sampleRate;
  Require(channels >= 1 && channels <= AMR_MAX_CHANNELS, "channel count out of range");
  Require(sampleRate == (AmrIsWideBand(reader->format) ? 16000 : 8000), "wrong sample rate");
  uint64_t blocks = 0;
  size_t taken = LeadBytes(reader->format);
  while (AmrReadBlock(reader)) {
    for (int k = 0; k < channels; ++k)
      taken += 1 + size_t(AmrPayloadBytes(reader->format, AmrFrameType(reader->frame[k][0])));
    Require(taken <= size, "a block delivered beyond the end of the file");
    ++blocks;
  }
  Require(AmrClose(reader) != 0, "the track did not close");
  return blocks;
}

void CheckWav(const std::vector<uint8_t>& wav, int channels, int sampleRate, uint64_t blocks) {
  Require(wav.size() >= WAV_HEADER_BYTES, "WAV file shorter than its header");
  const uint8_t* h = wav.data();
  const uint32_t dataSize = WavHeaderField32(h, WAV_DATA_SIZE);
  Require(wav.size() == WAV_HEADER_BYTES + uint64_t(dataSize), "WAV size differs from its header");
  Require(WavHeaderField32(h, WAV_RIFF_SIZE) == 36 + uint64_t(dataSize), "wrong RIFF size");
  Require(WavHeaderField16(h, WAV_CHANNELS) == channels, "wrong channel count");
  Require(WavHeaderField32(h, WAV_SAMPLE_RATE) == uint32_t(sampleRate), "wrong sample rate");
  Require(WavHeaderField32(h, WAV_BYTE_RATE) == uint32_t(channels * 2 * sampleRate), "wrong byte rate");
  Require(WavHeaderField16(h, WAV_BLOCK_ALIGN) == channels * 2, "wrong block align");
  Require(WavHeaderField16(h, WAV_BITS_PER_SAMPLE) == 16, "not 16-bit");
  // One 20 ms block of every channel for every whole block of the track.
  Require(dataSize == blocks * uint64_t(sampleRate / 50) * channels * 2, "samples of the wrong length");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string amrPath = ScratchFile("track.amr");
  static const std::string wavPath = ScratchFile("track.wav");
  WriteBytes(amrPath, data, size);
  ::unlink(wavPath.c_str());

  int channels = 0, sampleRate = 0;
  const uint64_t blocks = CountBlocks(amrPath, size, channels, sampleRate);
  const int converted = ConvertAmrToWav(amrPath.c_str(), wavPath.c_str());
  if (channels == 0) {
    Require(converted == 0, "a track the reader refuses was converted");
    Require(!Exists(wavPath), "a WAV file was made for a refused track");
    return 0;
  }
  Require(converted == 1, "a track the reader opens was not converted");
  CheckWav(ReadBytes(wavPath), channels, sampleRate, blocks);
  return 0;
}
