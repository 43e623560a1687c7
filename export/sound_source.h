// The clip's sound track decoded as the player converts it, block by block,
// so that the export takes the samples as the frames need them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/amr_decoder.h"
#include "export/clip_source.h"

class SoundSource {
 public:
  // Prepares the clip's track. Returns false, with `error`, only when
  // something outside the clip fails (no temporary file); a clip without a
  // track, or with one of no known kind, gives true and usable() false.
  bool Prepare(const ClipSource& clip, std::string& error);

  bool usable() const { return m_samples > 0; }
  int channels() const { return m_decoder.channels(); }
  int sampleRate() const { return m_decoder.sampleRate(); }
  // Samples per channel in the whole track.
  int64_t samples() const { return m_samples; }

  // Decodes the next 20 ms block, replacing `interleaved` with its samples,
  // channel after channel for each instant. False at the end of the track.
  bool NextBlock(std::vector<int16_t>& interleaved);

 private:
  AmrBlockDecoder m_decoder;
  int64_t m_samples = 0;
};
