// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The import's options checked without FFmpeg, so that a window that has the
// import done by the helper process checks them without loading it.
#include <cmath>
#include <cstdio>

#include "audio/amr_encoder.h"
#include "import/import.h"

namespace {

constexpr int kMinSide = 16, kMaxSide = 8192;
constexpr double kMinFps = 1, kMaxFps = 30, kSilentFps = 5;

AmrBand BandOf(ImportSound sound) {
  return sound == ImportSound::amrWb ? AmrBand::wide : AmrBand::narrow;
}

}  // namespace

std::string CheckImportOptions(const ImportOptions& o) {
  if (o.width < kMinSide || o.width > kMaxSide || o.height < kMinSide || o.height > kMaxSide)
    return "the size must be from 16 x 16 to 8192 x 8192";
  if (!(o.fps >= kMinFps && o.fps <= kMaxFps)) return "the frame rate must be from 1 to 30";
  if (o.sound == ImportSound::none && o.fps != kSilentFps)
    return "without sound the player shows 5 frames a second: the frame rate must be 5";
  if (o.quality < 1 || o.quality > 100) return "the quality must be from 1 to 100";
  if (o.sound != ImportSound::none && o.bitrate != 0 && !AmrModeSupported(BandOf(o.sound), o.bitrate)) {
    std::string modes;
    for (int mode : AmrModes(BandOf(o.sound))) {
      char text[16];
      std::snprintf(text, sizeof text, "%s%g", modes.empty() ? "" : ", ", mode / 1000.0);
      modes += text;
    }
    return std::string("the bit rate of ") + (o.sound == ImportSound::amrWb ? "AMR-WB" : "AMR-NB") +
           " must be one of " + modes + " kbit/s";
  }
  if (o.audioTrack < 0) return "the sound track is counted from 1";
  if (!(o.startSeconds >= 0) || !std::isfinite(o.startSeconds)) return "the start must be 0 or later";
  if (!(o.durationSeconds >= 0) || !std::isfinite(o.durationSeconds))
    return "the duration must be 0 (all) or more";
  return "";
}
