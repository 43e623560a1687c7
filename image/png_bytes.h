// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// A full-colour picture encoded as a PNG file in memory.
#pragma once

#include <cstdint>
#include <vector>

#include "image/rgb_picture.h"

// Fast compression: previews are written often and read once. False when
// libpng fails.
bool EncodePng(const RgbPicture& picture, std::vector<uint8_t>& png);
