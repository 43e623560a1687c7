// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// What every picture a reader produced must be: a bitmap block of the size
// its header declares, with rows that can be read and drawn.
#pragma once

#include <cstddef>
#include <cstdint>

class CImage;

// Checks the bitmap that reading left in `image`, if any, and draws it as the
// frame display would. Aborts on anything amiss.
void CheckBitmap(CImage& image);

// Writes `data` to the scratch file `name`, reads it as a picture of
// `imageType` through CImage and checks the result.
void ReadAndCheckPicture(const uint8_t* data, size_t size, int imageType, const char* name);
