// The picture work of zrvtool thumbnail: which frame is worth showing, and
// scaling it to the size a file manager asks for.
#pragma once

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
