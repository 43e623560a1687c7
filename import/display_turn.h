// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// How a video's stored picture is meant to be shown, as its display matrix
// says: phones store the sensor's picture and record the turn, and some
// cameras and editors a mirror too.
#pragma once

#include <cstdint>

struct DisplayTurn {
  int rotation = 0;       // clockwise, 0, 90, 180 or 270 degrees
  bool mirrored = false;  // left and right swapped, after the turn

  bool sidesSwapped() const { return rotation % 180 != 0; }
  bool any() const { return rotation != 0 || mirrored; }
};

// The turn of a display matrix as FFmpeg and MOV lay it out (a b u / c d v
// / x y w, a to d in 16.16), to the nearest quarter turn.
DisplayTurn TurnOfDisplayMatrix(const int32_t matrix[9]);
