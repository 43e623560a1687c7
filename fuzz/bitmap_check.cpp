// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "fuzz/bitmap_check.h"

#include "fuzz/fuzz_support.h"
#include "image/dib_draw.h"
#include "image/image.h"

namespace {

// The picture area's size: the frame display draws into a surface this big.
constexpr int kAreaWidth = 348, kAreaHeight = 216;
constexpr int64_t kMaxDrawnPixels = 1 << 22;

// The first and the last pixel byte are read: the block is one allocation,
// so the sanitizer flags any pixel array that reaches beyond it.
void TouchBothEnds(const uint8_t* bits, int bytesPerLine, int height) {
  volatile uint8_t sink = bits[0];
  sink = sink ^ bits[int64_t(bytesPerLine) * height - 1];
  (void)sink;
}

}  // namespace

void CheckBitmap(CImage& image) {
  const int width = image.GetWidth(), height = image.GetHeight();
  if (width == 0 && height == 0) return;
  Require(width > 0 && height > 0, "a bitmap of negative size");
  Require(image.IsValid() == 1, "a size without a bitmap block");
  const int depth = image.GetDepth();
  Require(IsDibDepth(depth), "a depth that no bitmap block has");
  Require(image.GetBytesPerLine() == DibRowBytes(depth, width), "rows not padded to 4 bytes");

  const CImageImpl* impl = image.GetImpl();
  const BITMAPINFOHEADER header = LoadInfoHeader(impl->GetDIB());
  Require(header.biWidth == width && header.biHeight == height, "header size differs");
  Require(header.biBitCount == depth, "header depth differs");
  Require(image.GetBits() == DibPixels(impl->GetDIB()), "pixels not behind the colour table");
  TouchBothEnds(image.GetBits(), image.GetBytesPerLine(), height);

  const CPalette* palette = image.GetPalette();
  if (palette) {
    const int entries = palette->GetEntryCount();
    Require(entries >= 1 && entries <= 256, "a palette of no entries or too many");
  }
  uint8_t r, g, b;
  image.GetRGB(0, 0, r, g, b);
  image.GetRGB(width - 1, height - 1, r, g, b);

  // Drawn as the frame display draws (fitted), from a part hanging over the
  // edges of both, and unscaled. Drawing reads whole source rows, so a run
  // would spend seconds on one huge picture that a short run-length or LZW
  // stream can declare; those are left out.
  if (int64_t(width) * height > kMaxDrawnPixels) return;
  CSoftwareDC dc(kAreaWidth, kAreaHeight);
  dc.SelectPalette(palette);
  image.StretchDraw(&dc, 0, 0, kAreaWidth, kAreaHeight);
  image.StretchDraw(&dc, -3, 5, 400, 100, 1, 1, width - 2, height + 2);
  image.Draw(&dc, 7, -2);
}

void ReadAndCheckPicture(const uint8_t* data, size_t size, int imageType, const char* name) {
  const std::string path = ScratchFile(name);
  WriteBytes(path, data, size);
  CImage image(path, imageType);
  CheckBitmap(image);
}
