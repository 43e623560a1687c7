// The imported clip's sound track: the video's sound decoded, mixed down to
// mono, resampled to the band's rate and encoded as AMR, placed by its time
// stamps on the import's time line, and finally cut or completed with
// silence to the clip's length.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/amr_encoder.h"

extern "C" {
struct AVFrame;
struct SwrContext;
}

class SoundTrackBuilder {
 public:
  SoundTrackBuilder() = default;
  ~SoundTrackBuilder();
  SoundTrackBuilder(const SoundTrackBuilder&) = delete;
  SoundTrackBuilder& operator=(const SoundTrackBuilder&) = delete;

  // Starts the encoder. Sound after `limitMs` (from the import's start) is
  // not needed. False when the encoder cannot start.
  bool Open(AmrBand band, int bitrate, double limitMs);

  // Adds a decoded frame whose first sample lies `timeMs` after the
  // import's start (negative: before it; that part is dropped). Only the
  // first frame's time places the sound; the later ones follow on. False,
  // with `error`, when the resampler refuses the frame.
  bool AddFrame(const AVFrame* frame, double timeMs, std::string& error);

  // Where the sound added so far ends, in ms after the import's start.
  double endMs() const;

  // Cuts the track to `amrFrames` 20 ms frames or completes it with silence.
  void Finish(int64_t amrFrames);
  // The AMR storage file: magic and frames.
  const std::vector<uint8_t>& track() const { return m_track; }

 private:
  void Place(const int16_t* samples, size_t count);
  void EncodeSilence(int64_t frames);

  AmrEncoder m_encoder;
  int m_rate = 8000;
  double m_limitMs = 0;
  SwrContext* m_resampler = nullptr;
  int m_inputFormat = -1, m_inputRate = 0, m_inputChannels = 0;
  bool m_placed = false;
  int64_t m_skip = 0;          // samples still to drop before the start
  std::vector<int16_t> m_pending;  // samples short of a whole frame
  std::vector<int16_t> m_converted;
  std::vector<uint8_t> m_track;
  size_t m_magicLength = 0;
  std::vector<size_t> m_frameEnds;  // where each AMR frame ends in m_track
};
