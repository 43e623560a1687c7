// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The synthetic frames of zrvtool make: colour bars that move from frame to
// frame, and the frame number in large digits.
#pragma once

#include <cstdint>

#include "image/rgb_picture.h"

// Paints frame `number` of a clip of `count` frames. With `grey` every pixel
// gets red = green = blue.
void PaintTestFrame(RgbPicture& picture, uint32_t number, uint32_t count, bool grey);
