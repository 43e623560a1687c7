// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "player/frame_geometry.h"

#include "player/player_session.h"

FrameGeometry ComputeFrameGeometry(int w, int h, int areaWidth, int areaHeight, int zoomMode) {
  // The 0.001 added to each ratio and product lets the limiting side reach the
  // area's full size despite rounding.
  const double sx = double(areaWidth) / w + 0.001;
  const double sy = double(areaHeight) / h + 0.001;
  double s = 1.0;
  if (zoomMode == zoomSmall) s = 0.8;
  if (zoomMode == zoomFit) s = sx < sy ? sx : sy;

  FrameGeometry g;
  g.width = static_cast<int>(w * s + 0.001);
  if (g.width >= areaWidth) g.width = areaWidth;
  g.height = static_cast<int>(h * s + 0.001);
  if (g.height >= areaHeight) g.height = areaHeight;
  g.left = (areaWidth - g.width) / 2;
  g.top = (areaHeight - g.height) / 2;
  g.right = areaWidth - g.left - g.width;
  g.bottom = areaHeight - g.top - g.height;
  return g;
}
