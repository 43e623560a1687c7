// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The playback timer's period: how long each frame stays on screen.
#pragma once

#include <cstdint>

// The speeds of playback; sound is heard at normal speed only.
enum SpeedMode : int {
  speedQuick = 0,
  speedNormal = 1,
  speedSlow = 2,
};

// What the wave device reports when the length of the sound is unknown.
inline constexpr uint32_t kUnknownSoundLength = 0xFFFFFFFF;

// The frame interval in milliseconds for a clip of `frameCount` frames
// whose sound lasts `soundMs` milliseconds, at `speed`.
//
// With sound the frames share out its length: the base is L / n at normal
// speed, half of that at quick speed and (2 L) / n at slow speed, rounded to
// a whole frame rate (1000 / base, halves up) and turned back into a period.
// A base of 0 gives 1 ms, and a base above 2000 (less than one frame in two
// seconds) is used as it is. Without sound, or when its length is unknown
// (kUnknownSoundLength) or there are no frames, the interval is 200 ms at
// normal speed, 100 quick and 400 slow.
uint32_t FrameInterval(bool hasSound, uint32_t soundMs, uint32_t frameCount, SpeedMode speed);
