// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Fitting a decoded video picture into the clip's frame size: scaled with
// its aspect kept (pixel aspect and display turn included), either whole with
// black bars (pad) or filling the frame with the overhang cut evenly (crop),
// centred, and converted to JPEG's full-range YCbCr 4:2:0.
#pragma once

#include <cstdint>

#include "image/jpeg_rgb.h"
#include "import/display_turn.h"
#include "import/import.h"

extern "C" {
struct AVFrame;
struct SwsContext;
}

// Where the picture goes, worked out from sizes alone.
struct FitGeometry {
  // The part of the source picture used, in its stored orientation.
  int cropLeft = 0, cropTop = 0, cropWidth = 0, cropHeight = 0;
  // Where it lands in the clip's frame, in the shown orientation.
  int x = 0, y = 0, width = 0, height = 0;
};

// For a source of `sourceWidth` x `sourceHeight` stored samples with the
// pixel aspect `pixelAspect` (width / height of one sample), shown turned
// clockwise by `rotation` degrees, in a frame of `frameWidth` x `frameHeight`.
FitGeometry FitPicture(int sourceWidth, int sourceHeight, double pixelAspect, int rotation,
                       int frameWidth, int frameHeight, ImportFit fit);

class PictureFitter {
 public:
  PictureFitter(int frameWidth, int frameHeight, ImportFit fit, DisplayTurn turn);
  ~PictureFitter();
  PictureFitter(const PictureFitter&) = delete;
  PictureFitter& operator=(const PictureFitter&) = delete;

  // Draws `frame` into the clip frame, picture(). False when the scaler
  // refuses the frame's format.
  bool Draw(const AVFrame* frame);
  // The clip frame, its planes laid out for JpegEncoder::EncodeYuv420.
  const Yuv420Picture& picture() const { return m_canvas; }

 private:
  int m_width, m_height;
  ImportFit m_fit;
  DisplayTurn m_turn;
  SwsContext* m_scaler = nullptr;
  Yuv420Picture m_canvas;   // the frame with its bars
  Yuv420Picture m_turning;  // the scaled picture before it is turned
};
