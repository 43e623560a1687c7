// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Frame numbers in large seven-segment digits, drawn without any font, so
// that a person or a program can read from a picture which frame it is.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "image/rgb_picture.h"

// Bit s (0 to 6 for segments a to g: top, upper right, lower right, bottom,
// lower left, upper left, middle) is set when digit d lights segment s.
extern const uint8_t kDigitSegments[10];

// The cells of `digits` digits, left to right, centred in a width x height
// picture and as large as fits: at most nine tenths of the width and half
// the height, each cell twice as high as wide.
std::vector<PixelRect> DigitCells(int width, int height, int digits);

// The seven segments a to g of one digit cell.
std::array<PixelRect, 7> SegmentRects(const PixelRect& cell);

// The dark plate behind the digits: the cells with a margin around them.
PixelRect DigitPlate(const std::vector<PixelRect>& cells);

// Decimal digits needed to write every number below `count` (at least 1).
int DigitsFor(uint32_t count);

// Draws `number` with `digits` digits (leading zeros included): light
// segments on a dark plate.
void DrawNumber(RgbPicture& picture, uint32_t number, int digits);
