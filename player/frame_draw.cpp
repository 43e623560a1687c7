// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "player/frame_draw.h"

#include "container/frame_file.h"
#include "image/image.h"
#include "image/software_dc.h"
#include "player/frame_geometry.h"

FrameDrawResult DrawFrame(const uint8_t* bytes, const FrameIndex& index, uint32_t k,
                          const std::string& framePath, CSoftwareDC& dc, int zoomMode) {
  if (!WriteFrameFile(bytes, index, k, framePath)) return FrameDrawResult::notWritten;

  CImage image(framePath, IMAGE_JPG);
  const int w = image.GetWidth(), h = image.GetHeight();
  if (w <= 0 || h <= 0) return FrameDrawResult::notDecoded;

  const CPalette* previous = nullptr;
  if (image.GetPalette()) previous = dc.SelectPalette(image.GetPalette());

  const int areaWidth = dc.Width(), areaHeight = dc.Height();
  const FrameGeometry g = ComputeFrameGeometry(w, h, areaWidth, areaHeight, zoomMode);

  // Black bars where the picture leaves the area uncovered; each pair only
  // when its first margin is not empty.
  dc.SelectSolidBrush(0x000000);
  if (g.top != 0) {
    dc.Rectangle(0, 0, areaWidth, g.top);
    dc.Rectangle(0, areaHeight - g.bottom, areaWidth, areaHeight);
  }
  if (g.left != 0) {
    dc.Rectangle(0, 0, g.left, areaHeight);
    dc.Rectangle(areaWidth - g.right, 0, areaWidth, areaHeight);
  }

  image.StretchDraw(&dc, g.left, g.top, g.width, g.height, 0, 0, -1, -1);
  if (previous) dc.SelectPalette(previous);
  return FrameDrawResult::drawn;
}
