// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Turning a colour JPEG stream into a grey-scale one without decoding it.
#pragma once

#include <cstdint>
#include <vector>

// Rewrites the YCbCr JPEG stream `jpeg` as a one-component (grey-scale)
// stream that keeps its luminance coefficients and quantisation table as
// they are: the same picture in grey, with nothing lost to a second
// compression. Baseline, standard Huffman tables. False when `jpeg` cannot
// be read as a YCbCr JPEG stream.
bool DropColourComponents(const std::vector<uint8_t>& jpeg, std::vector<uint8_t>& grey);
