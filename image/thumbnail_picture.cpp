// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "image/thumbnail_picture.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// A pixel counts as dark or bright beyond these luma levels, and a picture
// as blank when this share of its pixels is one or the other.
constexpr int kDarkLuma = 40;
constexpr int kBrightLuma = 215;
constexpr double kBlankShare = 0.97;

// For each destination position along one axis, the source positions it
// draws on and their weights (in 1/65536, summing to 65536).
struct Taps {
  std::vector<int> first;    // first source position, per destination
  std::vector<int> count;    // positions used, per destination
  std::vector<int> weights;  // `maxCount` weights per destination
  int maxCount = 0;
};

Taps MakeTaps(int sourceLength, int length) {
  const double scale = double(sourceLength) / length;
  const double support = std::max(1.0, scale);  // the triangle's half-width
  Taps taps;
  taps.maxCount = int(std::ceil(support)) * 2 + 1;
  taps.first.resize(size_t(length));
  taps.count.resize(size_t(length));
  taps.weights.assign(size_t(length) * size_t(taps.maxCount), 0);
  std::vector<double> w(size_t(taps.maxCount));
  for (int i = 0; i < length; ++i) {
    const double centre = (i + 0.5) * scale;
    const int lo = std::max(0, int(std::floor(centre - support)));
    const int hi = std::min(sourceLength, int(std::ceil(centre + support)));
    double total = 0;
    int n = 0;
    for (int s = lo; s < hi && n < taps.maxCount; ++s, ++n) {
      w[size_t(n)] = std::max(0.0, 1.0 - std::fabs((s + 0.5 - centre) / support));
      total += w[size_t(n)];
    }
    if (total <= 0) {  // a destination beyond every source centre: take the nearest
      n = 1;
      w[0] = total = 1;
    }
    taps.first[size_t(i)] = std::min(lo, sourceLength - 1);
    taps.count[size_t(i)] = n;
    int sum = 0;
    for (int t = 0; t < n; ++t) {
      const int weight = int(std::lround(w[size_t(t)] / total * 65536));
      taps.weights[size_t(i) * size_t(taps.maxCount) + size_t(t)] = weight;
      sum += weight;
    }
    // Rounding must not darken or brighten: the largest weight takes the rest.
    int* row = &taps.weights[size_t(i) * size_t(taps.maxCount)];
    *std::max_element(row, row + n) += 65536 - sum;
  }
  return taps;
}

uint8_t Clamp(int64_t value) {
  return uint8_t(std::clamp<int64_t>((value + 32768) >> 16, 0, 255));
}

}  // namespace

bool LooksBlank(const RgbPicture& picture) {
  const size_t pixels = size_t(picture.width) * size_t(picture.height);
  if (pixels == 0) return true;
  size_t dark = 0, bright = 0;
  const uint8_t* p = picture.rgb.data();
  for (size_t i = 0; i < pixels; ++i, p += 3) {
    const int luma = (77 * p[0] + 150 * p[1] + 29 * p[2]) >> 8;
    dark += luma <= kDarkLuma;
    bright += luma >= kBrightLuma;
  }
  return double(std::max(dark, bright)) >= kBlankShare * double(pixels);
}

void FitSize(int width, int height, int size, int& fitWidth, int& fitHeight) {
  if (width >= height) {
    fitWidth = size;
    fitHeight = std::max(1, int(std::lround(double(height) * size / width)));
  } else {
    fitHeight = size;
    fitWidth = std::max(1, int(std::lround(double(width) * size / height)));
  }
}

RgbPicture Resample(const RgbPicture& source, int width, int height) {
  const Taps across = MakeTaps(source.width, width);
  const Taps down = MakeTaps(source.height, height);

  // Rows first, into a picture as tall as the source, then columns.
  RgbPicture wide(width, source.height);
  for (int y = 0; y < source.height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int* w = &across.weights[size_t(x) * size_t(across.maxCount)];
      const uint8_t* s = source.At(across.first[size_t(x)], y);
      int64_t r = 0, g = 0, b = 0;
      for (int t = 0; t < across.count[size_t(x)]; ++t, s += 3) {
        r += int64_t(w[t]) * s[0];
        g += int64_t(w[t]) * s[1];
        b += int64_t(w[t]) * s[2];
      }
      uint8_t* d = wide.At(x, y);
      d[0] = Clamp(r);
      d[1] = Clamp(g);
      d[2] = Clamp(b);
    }
  }
  RgbPicture out(width, height);
  const size_t stride = size_t(width) * 3;
  for (int y = 0; y < height; ++y) {
    const int* w = &down.weights[size_t(y) * size_t(down.maxCount)];
    const uint8_t* first = wide.At(0, down.first[size_t(y)]);
    uint8_t* d = out.At(0, y);
    for (size_t i = 0; i < stride; ++i) {
      int64_t v = 0;
      const uint8_t* s = first + i;
      for (int t = 0; t < down.count[size_t(y)]; ++t, s += stride) v += int64_t(w[t]) * *s;
      d[i] = Clamp(v);
    }
  }
  return out;
}

bool ChoosePreviewFrame(uint32_t frameCount,
                        const std::function<PreviewFrame(uint32_t, RgbPicture&)>& decodeFrame,
                        RgbPicture& chosen) {
  RgbPicture frame(0, 0);
  bool haveOne = false;
  for (uint32_t k = 0; k < frameCount; ++k) {
    if (haveOne && k >= kPreviewFramesLookedAt) break;
    const PreviewFrame got = decodeFrame(k, frame);
    if (got == PreviewFrame::giveUp) break;
    if (got == PreviewFrame::damaged) continue;
    if (!LooksBlank(frame)) {
      chosen = std::move(frame);
      return true;
    }
    if (!haveOne) {
      chosen = frame;
      haveOne = true;
    }
  }
  return haveOne;
}
