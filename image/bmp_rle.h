// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Run-length compressed bitmap pixels (BI_RLE8, BI_RLE4) expanded into
// uncompressed bottom-up rows.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr uint32_t BI_RLE8 = 1;
inline constexpr uint32_t BI_RLE4 = 2;

// Expands `size` bytes of runs into `pixels` (height rows of rowBytes bytes,
// zero-filled by the caller). Runs that reach past a row or the picture are
// cut off there; pixels that no run covers stay 0.
void ExpandRunLengths(const uint8_t* data, size_t size, int depth, int width, int height,
                      uint8_t* pixels, size_t rowBytes);
