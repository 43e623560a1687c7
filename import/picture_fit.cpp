// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "import/picture_fit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include "image/jpeg_encoder.h"

namespace {

int EvenDown(int value) { return value & ~1; }

int SwsColourMatrix(int colorspace) {
  switch (colorspace) {
    case AVCOL_SPC_BT709: return SWS_CS_ITU709;
    case AVCOL_SPC_FCC: return SWS_CS_FCC;
    case AVCOL_SPC_SMPTE240M: return SWS_CS_SMPTE240M;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL: return SWS_CS_BT2020;
    default: return SWS_CS_ITU601;
  }
}

bool FullRangeFormat(int format) {
  return format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P ||
         format == AV_PIX_FMT_YUVJ444P || format == AV_PIX_FMT_YUVJ440P ||
         format == AV_PIX_FMT_YUVJ411P;
}

// Copies a plane of `width` x `height` stored samples as it is shown.
void TurnPlane(const uint8_t* from, int fromStride, int width, int height, DisplayTurn turn,
               uint8_t* to, int toStride) {
  const int shownWidth = turn.sidesSwapped() ? height : width;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = from + size_t(y) * size_t(fromStride);
    for (int x = 0; x < width; ++x) {
      int tx = x, ty = y;
      if (turn.rotation == 90) {
        tx = height - 1 - y;
        ty = x;
      } else if (turn.rotation == 270) {
        tx = y;
        ty = width - 1 - x;
      } else if (turn.rotation == 180) {
        tx = width - 1 - x;
        ty = height - 1 - y;
      }
      if (turn.mirrored) tx = shownWidth - 1 - tx;
      to[size_t(ty) * size_t(toStride) + size_t(tx)] = row[x];
    }
  }
}

}  // namespace

FitGeometry FitPicture(int sourceWidth, int sourceHeight, double pixelAspect, int rotation,
                       int frameWidth, int frameHeight, ImportFit fit) {
  FitGeometry g;
  g.cropWidth = sourceWidth;
  g.cropHeight = sourceHeight;
  if (!(pixelAspect > 0) || !std::isfinite(pixelAspect)) pixelAspect = 1;
  const bool turned = rotation % 180 != 0;
  // The shown picture's width / height.
  double aspect = double(sourceWidth) * pixelAspect / double(sourceHeight);
  if (turned) aspect = 1 / aspect;
  const double frameAspect = double(frameWidth) / double(frameHeight);
  if (fit == ImportFit::pad) {
    g.width = frameWidth;
    g.height = frameHeight;
    if (aspect > frameAspect)
      g.height = std::clamp(int(std::lround(frameWidth / aspect)), 2, frameHeight);
    else
      g.width = std::clamp(int(std::lround(frameHeight * aspect)), 2, frameWidth);
    // Even offsets keep the chroma samples of the picture on its own pixels.
    g.x = EvenDown((frameWidth - g.width) / 2);
    g.y = EvenDown((frameHeight - g.height) / 2);
    return g;
  }
  g.width = frameWidth;
  g.height = frameHeight;
  // The shown picture is cut to the frame's aspect; in stored samples that
  // is the width when the shown width is the stored one, else the height.
  const bool cutShownWidth = aspect > frameAspect;
  const double keep = cutShownWidth ? frameAspect / aspect : aspect / frameAspect;
  const bool cutStoredWidth = cutShownWidth != turned;
  if (cutStoredWidth) {
    // Even where the picture allows it; a picture 1 sample across keeps it.
    g.cropWidth = std::clamp(EvenDown(int(std::lround(sourceWidth * keep))), std::min(2, sourceWidth), sourceWidth);
    g.cropLeft = EvenDown((sourceWidth - g.cropWidth) / 2);
  } else {
    g.cropHeight = std::clamp(EvenDown(int(std::lround(sourceHeight * keep))), std::min(2, sourceHeight), sourceHeight);
    g.cropTop = EvenDown((sourceHeight - g.cropHeight) / 2);
  }
  return g;
}

PictureFitter::PictureFitter(int frameWidth, int frameHeight, ImportFit fit, DisplayTurn turn)
    : m_width(frameWidth), m_height(frameHeight), m_fit(fit), m_turn(turn) {
  // Black bars, once: the picture's place is drawn over for every frame.
  AllocateYuv420(m_canvas, frameWidth, frameHeight);
}

PictureFitter::~PictureFitter() { sws_freeContext(m_scaler); }

bool PictureFitter::Draw(const AVFrame* frame) {
  const AVRational sar = frame->sample_aspect_ratio;
  const double pixelAspect = sar.num > 0 && sar.den > 0 ? double(sar.num) / sar.den : 1.0;
  const FitGeometry g =
      FitPicture(frame->width, frame->height, pixelAspect, m_turn.rotation, m_width, m_height, m_fit);
  const bool turned = m_turn.sidesSwapped();
  const int scaledWidth = turned ? g.height : g.width;
  const int scaledHeight = turned ? g.width : g.height;

  // The used part of the source, through plane pointers.
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(AVPixelFormat(frame->format));
  if (!desc || (desc->flags & (AV_PIX_FMT_FLAG_HWACCEL | AV_PIX_FMT_FLAG_BITSTREAM))) return false;
  const uint8_t* source[4] = {};
  int sourceStride[4] = {};
  for (int plane = 0; plane < 4 && frame->data[plane]; ++plane) {
    sourceStride[plane] = frame->linesize[plane];
    const bool chroma = plane == 1 || plane == 2;
    const bool palette = (desc->flags & AV_PIX_FMT_FLAG_PAL) && plane == 1;
    if (palette) {
      source[plane] = frame->data[plane];
      continue;
    }
    const int left = chroma ? g.cropLeft >> desc->log2_chroma_w : g.cropLeft;
    const int top = chroma ? g.cropTop >> desc->log2_chroma_h : g.cropTop;
    // Bytes a pixel of this plane: the smallest step of a component in it.
    // In packed 4:2:2 (Y U Y V) luma steps 2 bytes and chroma 4, for two
    // pixels; the offset counts pixels, so luma's step is the one.
    int step = 0;
    for (int c = 0; c < desc->nb_components; ++c)
      if (desc->comp[c].plane == plane && (step == 0 || desc->comp[c].step < step)) step = desc->comp[c].step;
    if (step == 0 || (desc->flags & AV_PIX_FMT_FLAG_PAL)) step = 1;
    source[plane] = frame->data[plane] + ptrdiff_t(top) * frame->linesize[plane] + ptrdiff_t(left) * step;
  }

  // The full-range output format makes the scaler convert the range even
  // when the size and sampling stay: with equal formats it would only copy.
  m_scaler = sws_getCachedContext(m_scaler, g.cropWidth, g.cropHeight, AVPixelFormat(frame->format),
                                  scaledWidth, scaledHeight, AV_PIX_FMT_YUVJ420P, SWS_BICUBIC,
                                  nullptr, nullptr, nullptr);
  if (!m_scaler) return false;
  const bool fullRange = frame->color_range == AVCOL_RANGE_JPEG || FullRangeFormat(frame->format);
  const bool rgb = (desc->flags & AV_PIX_FMT_FLAG_RGB) || (desc->flags & AV_PIX_FMT_FLAG_PAL);
  sws_setColorspaceDetails(m_scaler, sws_getCoefficients(SwsColourMatrix(frame->colorspace)),
                           rgb || fullRange ? 1 : 0, sws_getCoefficients(SWS_CS_ITU601), 1, 0,
                           1 << 16, 1 << 16);

  uint8_t* target[4] = {};
  int targetStride[4] = {};
  Yuv420Picture& scaled = m_turn.any() ? m_turning : m_canvas;
  if (m_turn.any()) {
    if (m_turning.width != scaledWidth || m_turning.height != scaledHeight)
      AllocateYuv420(m_turning, scaledWidth, scaledHeight);
    target[0] = m_turning.y.data();
    target[1] = m_turning.cb.data();
    target[2] = m_turning.cr.data();
  } else {
    target[0] = m_canvas.y.data() + size_t(g.y) * size_t(m_canvas.lumaStride) + size_t(g.x);
    const size_t chroma = size_t(g.y / 2) * size_t(m_canvas.chromaStride) + size_t(g.x / 2);
    target[1] = m_canvas.cb.data() + chroma;
    target[2] = m_canvas.cr.data() + chroma;
  }
  targetStride[0] = scaled.lumaStride;
  targetStride[1] = targetStride[2] = scaled.chromaStride;
  if (sws_scale(m_scaler, source, sourceStride, 0, g.cropHeight, target, targetStride) <= 0)
    return false;

  if (m_turn.any()) {
    const size_t lumaAt = size_t(g.y) * size_t(m_canvas.lumaStride) + size_t(g.x);
    const size_t chromaAt = size_t(g.y / 2) * size_t(m_canvas.chromaStride) + size_t(g.x / 2);
    TurnPlane(m_turning.y.data(), m_turning.lumaStride, scaledWidth, scaledHeight, m_turn,
              m_canvas.y.data() + lumaAt, m_canvas.lumaStride);
    const int chromaWidth = (scaledWidth + 1) / 2, chromaHeight = (scaledHeight + 1) / 2;
    TurnPlane(m_turning.cb.data(), m_turning.chromaStride, chromaWidth, chromaHeight, m_turn,
              m_canvas.cb.data() + chromaAt, m_canvas.chromaStride);
    TurnPlane(m_turning.cr.data(), m_turning.chromaStride, chromaWidth, chromaHeight, m_turn,
              m_canvas.cr.data() + chromaAt, m_canvas.chromaStride);
  }
  PadYuv420(m_canvas);
  return true;
}
