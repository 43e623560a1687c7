// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Putting a bitmap block into a software device context: the scaled copy
// (StretchDIBits) and the unscaled one (SetDIBitsToDevice).
#pragma once

#include <cstdint>

#include "image/dib_pixels.h"
#include "image/software_dc.h"

// Raster operations, applied per colour channel: copy, AND, OR.
inline constexpr uint32_t SRCCOPY = 0x00CC0020;
inline constexpr uint32_t SRCAND = 0x008800C6;
inline constexpr uint32_t SRCPAINT = 0x00EE0086;

// Copies the source rectangle of the block into the destination rectangle,
// dropping or repeating whole rows and columns. Destination column x takes
// source column xSrc + ((2x + 1) * srcWidth) / (2 * destWidth); rows likewise,
// each counted from the top of its rectangle. The source rectangle's origin
// (xSrc, ySrc) is its lower-left corner, rows counted from the bottom of the
// bottom-up bitmap. Pixels outside the bitmap or the surface are not drawn; a
// rectangle that is empty or mirrored draws nothing.
void StretchDIBits(CSoftwareDC& dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc,
                   int ySrc, int srcWidth, int srcHeight, const uint8_t* bits, const uint8_t* block,
                   int colorUse, uint32_t rop);

// Copies width x height pixels unscaled: destination row y shows bitmap row
// ySrc + height - 1 - y (counted from the bottom), which must lie in the
// scanLines rows starting at startScan that `bits` holds.
void SetDIBitsToDevice(CSoftwareDC& dc, int xDest, int yDest, int width, int height, int xSrc,
                       int ySrc, int startScan, int scanLines, const uint8_t* bits,
                       const uint8_t* block, int colorUse);
