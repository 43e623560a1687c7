// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Where a frame goes in the picture area for each zoom rule.
#pragma once

struct FrameGeometry {
  int width = 0, height = 0;  // drawn size
  int left = 0, top = 0;      // margins in front of the picture
  int right = 0, bottom = 0;  // margins behind it (they take an odd pixel)
};

// A picture of w x h in an area of areaWidth x areaHeight. Fit scales by the
// smaller ratio, normal keeps the size, small takes eight tenths; a side
// that comes out larger than the area is squeezed to it.
FrameGeometry ComputeFrameGeometry(int w, int h, int areaWidth, int areaHeight, int zoomMode);
