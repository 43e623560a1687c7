// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The picture work of a clip's preview: which frame is worth showing, and
// scaling it to the size a file manager asks for.
#pragma once

#include <cstdint>
#include <functional>

#include "image/rgb_picture.h"

// True when nearly every pixel is dark, or nearly every one bright: a frame
// shot before the camera's exposure settled, a fade, a lens cover.
bool LooksBlank(const RgbPicture& picture);

// The size that fits `width` x `height` into `size` x `size` with its aspect
// kept: the longer side becomes `size`, the other at least 1.
void FitSize(int width, int height, int size, int& fitWidth, int& fitHeight);

// `source` resampled to `width` x `height` with a triangle filter, widened
// when shrinking so that every source pixel counts.
RgbPicture Resample(const RgbPicture& source, int width, int height);

// What decoding one frame for the preview gave.
enum class PreviewFrame {
  decoded,   // the picture holds the frame
  damaged,   // the frame does not decode; the next one is tried
  giveUp,    // no more frames are to be tried (the clip has cost enough)
};

// Chooses the preview among a clip's `frameCount` frames: the first that
// decodes and does not look blank among the first kPreviewFramesLookedAt;
// when every one of those that decodes is blank, the first of them; when
// none of them decodes, the first frame after them that does. False when no
// frame decodes. `decodeFrame(k, picture)` decodes frame k.
inline constexpr uint32_t kPreviewFramesLookedAt = 8;
bool ChoosePreviewFrame(uint32_t frameCount,
                        const std::function<PreviewFrame(uint32_t, RgbPicture&)>& decodeFrame,
                        RgbPicture& chosen);
