// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Writing a picture as a binary PPM file, for tools and tests.
#pragma once

#include <string>

class CImage;

// Writes `image` as P6 with maxval 255, top row first, no comment. Index
// pixels are expanded through the palette object or, without one, through
// the colour table; direct-colour pixels are written as they are. False when
// there is no bitmap or the file cannot be written (a partial file is removed).
bool WritePixmapFile(CImage& image, const std::string& path);
