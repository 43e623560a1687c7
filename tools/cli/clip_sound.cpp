// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/cli/clip_sound.h"

#include "audio/amr_reader.h"
#include "audio/amr_track.h"
#include "audio/amr_to_wav.h"
#include "audio/frame_interval.h"

namespace {

// Converts the track into `wavPath`, straight from the clip's bytes. On
// failure `why` completes a sentence that begins with the clip's name, or is
// empty when the WAV file could not be written.
bool Convert(const LoadedClip& clip, const std::string& wavPath, std::string& why) {
  const FrameIndex& index = clip.index;
  if (!index.hasSound) {
    why = "has no sound";
    return false;
  }
  const uint8_t* track = clip.bytes.data() + index.audioStart;
  const size_t size = size_t(index.audioEnd) - index.audioStart + 1;
  AmrReader* probe = AmrOpenMemory(track, size);
  if (!probe) {
    why = "has a sound track of no known kind";
    return false;
  }
  AmrClose(probe);
  if (!ConvertAmrTrackToWav(track, size, wavPath.c_str())) {
    why.clear();
    return false;
  }
  return true;
}

}  // namespace

bool ConvertClipSound(const std::string& clipPath, const LoadedClip& clip,
                      const std::string& wavPath, const std::string& cannotWrite) {
  std::string why;
  if (Convert(clip, wavPath, why)) return true;
  Refuse(why.empty() ? cannotWrite : "'" + clipPath + "' " + why);
  return false;
}

uint32_t ClipSoundLengthMs(const LoadedClip& clip) {
  const FrameIndex& index = clip.index;
  if (!index.hasSound) return kUnknownSoundLength;
  // Counted from the frames: each block is 20 ms of the converted track,
  // whatever it holds, so nothing is decoded and no file is written.
  const int64_t blocks = AmrCountBlocks(clip.bytes.data() + index.audioStart,
                                        size_t(index.audioEnd) - index.audioStart + 1);
  if (blocks < 0) return kUnknownSoundLength;
  const int64_t ms = blocks * 20;
  return ms < int64_t(kUnknownSoundLength) ? uint32_t(ms) : kUnknownSoundLength - 1;
}
