// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Drawing one frame of a loaded clip into the picture area.
#pragma once

#include <cstdint>
#include <string>

#include "container/frame_index.h"

class CSoftwareDC;

enum class FrameDrawResult {
  drawn,
  notWritten,  // the frame file cannot be made: nothing drawn
  notDecoded,  // the frame is not a picture: nothing drawn
};

// Writes frame k to `framePath`, decodes it as a JPEG and draws it into the
// whole of `dc` by `zoomMode`, centred, painting black only the margins that
// the picture leaves. A frame that fails leaves the surface as it was.
FrameDrawResult DrawFrame(const uint8_t* bytes, const FrameIndex& index, uint32_t k,
                          const std::string& framePath, CSoftwareDC& dc, int zoomMode);
