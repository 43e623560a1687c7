// Synthetic frames of zrvtool make compressed through the image layer's
// JPEG writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/rgb_picture.h"

// Compresses `picture` at `quality` (baseline, standard tables) into `jpeg`,
// through the file `scratchPath`. With `grey` the stream gets a single
// grey-scale component. False when the picture cannot be written.
bool EncodeFrame(const RgbPicture& picture, int quality, bool grey, const std::string& scratchPath,
                 std::vector<uint8_t>& jpeg);
