// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The largest picture any reader of the program accepts. A few hundred bytes
// of JPEG, GIF, BMP or PNG can declare a picture of gigabytes that the
// libraries would allocate and decode row by row; no camera-phone frame, and
// no picture a user saves from one, comes near this bound, so a larger one is
// refused before anything is allocated for it.
#pragma once

#include <cstdint>

// 8192 x 8192 still reads; anything larger in area is refused.
inline constexpr uint64_t kMaxImagePixels = uint64_t(8192) * 8192;

// True when a picture of width x height may be read.
inline bool ImageAreaAllowed(uint64_t width, uint64_t height) {
  return width > 0 && height > 0 && width * height <= kMaxImagePixels;
}
