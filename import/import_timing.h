// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// How long the imported clip lasts and when each of its frames is taken.
// The player shows a frame every L / n ms, L the track's length; so L is
// the span to import in whole 20 ms AMR frames, n = round(L x fps / 1000),
// and frame k shows the source at k x L / n ms after the start. Without a
// track the player shows a frame every 200 ms: n = the span in 200 ms steps.
#pragma once

#include <cmath>
#include <cstdint>

// A track's frames last 20 ms; a clip without one shows a frame every 200 ms.
inline constexpr int64_t kAmrFrameMs = 20;
inline constexpr int64_t kSilentFrameIntervalMs = 200;

struct ImportTiming {
  int64_t lengthMs = 0;  // L: the track's length, or 200 ms a frame
  uint32_t frames = 0;   // n
  bool withTrack = false;

  // Frame k's time after the start of the import, in ms.
  double FrameTimeMs(uint32_t k) const { return double(k) * double(lengthMs) / double(frames); }
  // How many clip frames are taken before `timeMs`.
  uint32_t FramesBefore(double timeMs) const {
    const double k = std::ceil(timeMs * double(frames) / double(lengthMs));
    return k <= 0 ? 0 : k >= double(frames) ? frames : uint32_t(k);
  }
  // The track's AMR frames (L / 20).
  int64_t TrackFrames() const { return lengthMs / kAmrFrameMs; }
  double Fps() const { return double(frames) * 1000.0 / double(lengthMs); }
};

// The timing of a span of `spanMs` ms at `fps` frames a second, with a track
// (silent or not) or, with `withTrack` false, at the player's 200 ms. The
// length is the span's whole steps, never a step over; at least one frame,
// and a track of at least one AMR frame.
ImportTiming MakeImportTiming(double spanMs, double fps, bool withTrack);
