// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// What SDL's disk audio driver writes: the samples a device emitted, in a file.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tests/audio/wav_samples.h"

// Waits until `done` holds, checking every few milliseconds; false after
// ten seconds, so a test that waits on a sound output fails instead of hanging.
bool WaitUntil(const std::function<bool()>& done);

// The next device opened writes to `path` (SDL reads SDL_DISKAUDIOFILE at open).
class DiskOutput {
 public:
  explicit DiskOutput(std::string path, uint16_t channels);

  // The positions of a counting file emitted so far, silence removed.
  std::vector<PositionRun> Runs() const;
  uint32_t FramesEmitted() const;       // frames of sound, not counting silence
  uint32_t SilentFramesAtEnd() const;   // silence since the last frame of sound

 private:
  std::vector<int16_t> Emitted() const;

  std::string m_path;
  uint16_t m_channels;
};
