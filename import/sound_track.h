// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The imported clip's sound track: the video's sound decoded, mixed down to
// mono, resampled to the band's rate and encoded as AMR, placed by its time
// stamps on the import's time line (a gap is silence, an overlap is
// dropped), and finally cut or completed with silence to the clip's length.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/amr_encoder.h"

class ImportWorker;

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
  // Has the AMR encoding done on `worker` (may be null) from now on, in the
  // order the sound comes: the track is the same, the decoding goes on
  // meanwhile. The worker must outlive the builder's work (Finish).
  void EncodeOn(ImportWorker* worker) { m_worker = worker; }

  // Adds a decoded frame whose first sample lies `timeMs` after the
  // import's start (negative: before it; that part is dropped). A frame
  // later than the sound so far leaves a gap, one earlier loses its overlap.
  // False, with `error`, when the resampler refuses the frame.
  bool AddFrame(const AVFrame* frame, double timeMs, std::string& error);
  // Takes the resampler's last samples; at the end of the sound.
  bool Drain(std::string& error);

  // Where the sound added so far ends, in ms after the import's start.
  double endMs() const;
  // Where the sound ends that belongs to a picture ending at `pictureEndMs`:
  // sound that resumes after a gap beyond the picture's end is left out, so
  // that a lone late packet cannot stretch the clip.
  double EndWithin(double pictureEndMs) const;

  // Cuts the track to `amrFrames` 20 ms frames, silence where no sound was.
  // The silence is one encoded frame's bytes repeated. Waits for the worker.
  void Finish(int64_t amrFrames);
  // The AMR storage file: magic and frames.
  const std::vector<uint8_t>& track() const { return m_track; }

 private:
  bool Convert(const uint8_t* const* input, int samples, std::string& error);
  void Place(const int16_t* samples, size_t count);
  void EncodePending();
  // Encodes `samples`, whole frames back to back, into m_frames.
  void Encode(const std::vector<int16_t>& samples);
  void PostBatch();

  AmrEncoder m_encoder;
  AmrBand m_band = AmrBand::narrow;
  int m_rate = 8000;
  int64_t m_frameSamples = 160;
  double m_limitSamples = 0;
  SwrContext* m_resampler = nullptr;
  int m_inputFormat = -1, m_inputRate = 0, m_inputChannels = 0;
  bool m_placed = false;
  double m_expectedMs = 0;         // where the next frame should begin
  int64_t m_position = 0;          // where the next sample goes, from the start
  int64_t m_frontier = 0;          // where the sound placed so far ends
  int64_t m_pendingSlot = -1;      // the 20 ms step m_pending fills
  std::vector<int16_t> m_pending;
  std::vector<int16_t> m_converted;
  ImportWorker* m_worker = nullptr;
  std::vector<int16_t> m_batch;    // frames not yet handed to the worker
  // The worker's until Finish, as is m_encoder.
  std::vector<uint8_t> m_frames;   // encoded frames, back to back
  std::vector<size_t> m_frameEnds;
  std::vector<int64_t> m_slots;    // the 20 ms step of each encoded frame
  std::vector<uint8_t> m_track;
};
