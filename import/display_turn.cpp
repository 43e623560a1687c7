// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "import/display_turn.h"

#include <cmath>
#include <numbers>

DisplayTurn TurnOfDisplayMatrix(const int32_t matrix[9]) {
  // A stored point (x, y) is shown at (a x + c y, b x + d y), y downwards.
  double a = matrix[0], c = matrix[3];
  const double b = matrix[1], d = matrix[4];
  DisplayTurn turn;
  // A mirror turns the matrix's orientation over; taking it off the shown
  // x leaves a pure turn.
  turn.mirrored = a * d - b * c < 0;
  if (turn.mirrored) a = -a, c = -c;
  if (a == 0 && b == 0) return turn;
  const double clockwise = std::atan2(b, a) * 180 / std::numbers::pi;
  int quarter = int(std::lround(clockwise / 90)) % 4;
  if (quarter < 0) quarter += 4;
  turn.rotation = quarter * 90;
  return turn;
}
