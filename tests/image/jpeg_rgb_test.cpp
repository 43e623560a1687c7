// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Full-colour decoding of JPEG streams in memory, against djpeg as the
// independent decoder.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "image/jpeg_rgb.h"
#include "tests/support/test_support.h"

namespace {

// A P6 picture with gradients and hard edges, so that every sampling shows.
Bytes MakePpm(int width, int height) {
  const std::string head = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  Bytes ppm(head.begin(), head.end());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      ppm.push_back(uint8_t(x * 255 / width));
      ppm.push_back(uint8_t((x / 8 + y / 8) % 2 ? 220 : 30));
      ppm.push_back(uint8_t(y * 255 / height));
    }
  return ppm;
}

Bytes Cjpeg(const TempDir& dir, int width, int height, const std::vector<std::string>& options) {
  WriteFile(dir.File("in.ppm"), MakePpm(width, height));
  std::vector<std::string> args = {"/usr/bin/cjpeg"};
  args.insert(args.end(), options.begin(), options.end());
  args.insert(args.end(), {"-outfile", dir.File("out.jpg"), dir.File("in.ppm")});
  EXPECT_EQ(RunProgram(args).exitCode, 0);
  return ReadFile(dir.File("out.jpg"));
}

// djpeg's RGB rows (grey files come out as P5 and are widened); `smooth`
// false replicates the chroma samples instead of interpolating them.
Bytes Djpeg(const TempDir& dir, const Bytes& jpeg, bool smooth = true) {
  WriteFile(dir.File("d.jpg"), jpeg);
  std::vector<std::string> args = {"/usr/bin/djpeg", "-pnm"};
  if (!smooth) args.push_back("-nosmooth");
  args.push_back(dir.File("d.jpg"));
  const ProgramResult r = RunProgram(args);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  // The header is three lines: magic, size, maximum.
  size_t pos = 0;
  for (int line = 0; line < 3; ++line) pos = r.out.find('\n', pos) + 1;
  Bytes pixels(r.out.begin() + long(pos), r.out.end());
  if (r.out.compare(0, 2, "P5") == 0) {
    Bytes rgb;
    for (uint8_t g : pixels) rgb.insert(rgb.end(), {g, g, g});
    return rgb;
  }
  return pixels;
}

TEST(JpegRgb, DecodesAsDjpegDoesInEverySampling) {
  TempDir dir;
  const std::vector<std::vector<std::string>> kinds = {
      {"-sample", "2x2"}, {"-sample", "1x1"}, {"-sample", "2x1"}, {"-grayscale"}, {"-progressive"}};
  for (const auto& kind : kinds) {
    const Bytes jpeg = Cjpeg(dir, 37, 23, kind);
    int w = 0, h = 0;
    ASSERT_TRUE(ReadJpegSize(jpeg.data(), jpeg.size(), w, h));
    EXPECT_EQ(w, 37);
    EXPECT_EQ(h, 23);
    RgbPicture picture(0, 0);
    ASSERT_TRUE(DecodeJpegRgb(jpeg.data(), jpeg.size(), picture)) << kind[0];
    ASSERT_EQ(picture.width, 37);
    ASSERT_EQ(picture.height, 23);
    EXPECT_TRUE(picture.rgb == Djpeg(dir, jpeg)) << kind.back();
  }
}

TEST(JpegRgb, APictureIsReusedAndResized) {
  TempDir dir;
  const Bytes small = Cjpeg(dir, 8, 8, {});
  const Bytes large = Cjpeg(dir, 40, 30, {});
  RgbPicture picture(40, 30);
  ASSERT_TRUE(DecodeJpegRgb(small.data(), small.size(), picture));
  EXPECT_EQ(picture.rgb.size(), 8u * 8 * 3);
  ASSERT_TRUE(DecodeJpegRgb(large.data(), large.size(), picture));
  EXPECT_EQ(picture.width, 40);
  EXPECT_TRUE(picture.rgb == Djpeg(dir, large));
}

TEST(JpegRgb, BrokenStreamsAndHugePicturesAreRefused) {
  TempDir dir;
  const Bytes good = Cjpeg(dir, 16, 16, {});
  RgbPicture picture(0, 0);
  int w, h;
  const Bytes text = {'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'};
  EXPECT_FALSE(DecodeJpegRgb(text.data(), text.size(), picture));
  EXPECT_FALSE(ReadJpegSize(text.data(), text.size(), w, h));
  EXPECT_FALSE(DecodeJpegRgb(nullptr, 0, picture));
  // Cut inside the header: no picture can come of it.
  EXPECT_FALSE(DecodeJpegRgb(good.data(), 40, picture));

  // A start-of-frame claiming 65000 x 65000: refused before the rows exist.
  Bytes huge = good;
  for (size_t i = 0; i + 8 < huge.size(); ++i)
    if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
      huge[i + 5] = huge[i + 7] = 0xFD;
      huge[i + 6] = huge[i + 8] = 0xE8;
      break;
    }
  EXPECT_FALSE(ReadJpegSize(huge.data(), huge.size(), w, h));
  EXPECT_FALSE(DecodeJpegRgb(huge.data(), huge.size(), picture));
  EXPECT_LT(picture.rgb.size(), size_t(1) << 20);

  // A truncated scan still gives a whole picture: libjpeg fills the rest.
  const Bytes large = Cjpeg(dir, 96, 96, {});
  EXPECT_TRUE(DecodeJpegRgb(large.data(), large.size() - large.size() / 4, picture));
  EXPECT_EQ(picture.width, 96);
}

}  // namespace

namespace {

// The BT.601 luma and colour differences of djpeg's RGB: the luma is the
// stream's own Y up to rounding (the chroma terms cancel), the colour
// differences averaged over each 2 x 2 block come back to the stored ones.
double Luma(const uint8_t* p) { return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]; }
double Cb(const uint8_t* p) { return 128 - 0.168736 * p[0] - 0.331264 * p[1] + 0.5 * p[2]; }
double Cr(const uint8_t* p) { return 128 + 0.5 * p[0] - 0.418688 * p[1] - 0.081312 * p[2]; }

}  // namespace

TEST(JpegYuv420, PlanesAreTheStoredSamplesOfA420Stream) {
  TempDir dir;
  for (const auto& kind : {std::vector<std::string>{"-sample", "2x2"}, {"-sample", "2x2", "-progressive"}}) {
    const Bytes jpeg = Cjpeg(dir, 37, 23, kind);
    Yuv420Picture planes;
    ASSERT_TRUE(DecodeJpegYuv420(jpeg.data(), jpeg.size(), planes));
    ASSERT_EQ(planes.width, 37);
    ASSERT_EQ(planes.height, 23);
    EXPECT_EQ(planes.ChromaWidth(), 19);
    EXPECT_EQ(planes.ChromaHeight(), 12);
    const Bytes rgb = Djpeg(dir, jpeg, false);
    ASSERT_EQ(rgb.size(), size_t(37 * 23 * 3));

    int lumaOff = 0, chromaOff = 0;
    for (int y = 0; y < 23; ++y)
      for (int x = 0; x < 37; ++x) {
        const double expected = Luma(&rgb[size_t(y * 37 + x) * 3]);
        lumaOff += std::abs(planes.y[size_t(y * planes.lumaStride + x)] - expected) > 3;
      }
    for (int y = 0; y < 11; ++y)
      for (int x = 0; x < 18; ++x) {
        double cb = 0, cr = 0;
        for (int dy = 0; dy < 2; ++dy)
          for (int dx = 0; dx < 2; ++dx) {
            const uint8_t* p = &rgb[size_t((2 * y + dy) * 37 + 2 * x + dx) * 3];
            cb += Cb(p) / 4;
            cr += Cr(p) / 4;
          }
        const size_t at = size_t(y * planes.chromaStride + x);
        chromaOff += std::abs(planes.cb[at] - cb) > 6 || std::abs(planes.cr[at] - cr) > 6;
      }
    EXPECT_LE(lumaOff, 37 * 23 / 50) << lumaOff << " luma samples off by more than 3";
    EXPECT_LE(chromaOff, 18 * 11 / 10) << chromaOff << " chroma samples off by more than 6";
  }
}

TEST(JpegYuv420, OtherSamplingsAndBrokenStreamsAreLeftToTheRgbDecoder) {
  TempDir dir;
  Yuv420Picture planes;
  for (const auto& kind : {std::vector<std::string>{"-sample", "1x1"}, {"-sample", "2x1"}, {"-grayscale"}}) {
    const Bytes jpeg = Cjpeg(dir, 16, 16, kind);
    EXPECT_FALSE(DecodeJpegYuv420(jpeg.data(), jpeg.size(), planes)) << kind[0];
  }
  const Bytes noise(500, 0x5A);
  EXPECT_FALSE(DecodeJpegYuv420(noise.data(), noise.size(), planes));
  EXPECT_FALSE(DecodeJpegYuv420(nullptr, 0, planes));
}

TEST(JpegPlanes, OtherSamplingsAreAveragedOverEachBlockAndGreyHasNeutralChroma) {
  TempDir dir;
  // One-pixel columns alternating between two colours: each 2 x 2 block's
  // chroma is the mean of the two, as the stored full-resolution chroma says.
  for (const std::string sampling : {"1x1", "2x1", "1x2"}) {
    SCOPED_TRACE(sampling);
    const Bytes jpeg = Cjpeg(dir, 17, 9, {"-sample", sampling, "-quality", "100"});
    Yuv420Picture planes;
    ASSERT_EQ(DecodeJpegPlanes(jpeg.data(), jpeg.size(), planes), PlanesDecode::ok);
    ASSERT_EQ(planes.width, 17);
    ASSERT_EQ(planes.height, 9);
    const Bytes rgb = Djpeg(dir, jpeg, false);
    int off = 0;
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 9; ++x) {
        double cb = 0, cr = 0;
        for (int dy = 0; dy < 2; ++dy)
          for (int dx = 0; dx < 2; ++dx) {
            // An odd last row or column counts twice.
            const int sx = std::min(2 * x + dx, 16), sy = std::min(2 * y + dy, 8);
            cb += Cb(&rgb[size_t(sy * 17 + sx) * 3]) / 4;
            cr += Cr(&rgb[size_t(sy * 17 + sx) * 3]) / 4;
          }
        const size_t at = size_t(y * planes.chromaStride + x);
        off += std::abs(planes.cb[at] - cb) > 3 || std::abs(planes.cr[at] - cr) > 3;
      }
    EXPECT_EQ(off, 0) << "chroma samples off by more than 3";
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 17; ++x)
        EXPECT_NEAR(planes.y[size_t(y * planes.lumaStride + x)], Luma(&rgb[size_t(y * 17 + x) * 3]), 3);
  }
  const Bytes grey = Cjpeg(dir, 8, 8, {"-grayscale"});
  Yuv420Picture planes;
  ASSERT_EQ(DecodeJpegPlanes(grey.data(), grey.size(), planes), PlanesDecode::ok);
  EXPECT_EQ(planes.cb[0], 128);
  EXPECT_EQ(planes.cr[5], 128);

  // A stream declaring another size than asked for is not decoded.
  EXPECT_EQ(DecodeJpegPlanes(grey.data(), grey.size(), planes, 16, 16), PlanesDecode::otherSize);
  EXPECT_EQ(planes.width, 8);
  const Bytes noise(500, 0x5A);
  EXPECT_EQ(DecodeJpegPlanes(noise.data(), noise.size(), planes), PlanesDecode::failed);
}
