// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// A clip's preview as file managers show it, with no GUI code: zrvtool
// thumbnail and the KDE thumbnail plugin both make theirs here, so that every
// desktop shows the same picture.
#pragma once

#include "container/clip_file.h"
#include "image/rgb_picture.h"

// The frame worth showing (see ChoosePreviewFrame) in full colour. False when
// no frame decodes within the decoding budget.
bool ChooseClipPreviewFrame(const LoadedClip& clip, RgbPicture& chosen);

// That frame fitted into `size` x `size` with the clip's aspect kept.
bool MakeClipPreview(const LoadedClip& clip, int size, RgbPicture& preview);
