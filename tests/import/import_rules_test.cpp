// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The arithmetic of the import: how long the clip lasts and when its frames
// are taken (checked against the interval the player derives from them),
// and where a picture lands in the clip's frame.
#include <gtest/gtest.h>

#include "audio/frame_interval.h"
#include "import/import_timing.h"
#include "import/picture_fit.h"

namespace {

TEST(ImportTiming, TheTrackLengthIsTheSpansWhole20MsFramesNeverOneOver) {
  // {span, L, n at 8 fps}: n = round(L x fps / 1000); 3020 ms is 24.16 frames.
  const struct {
    double span;
    int64_t length;
    uint32_t frames;
  } cases[] = {{10'009, 10'000, 80}, {3'029, 3'020, 24}, {3'039.9, 3'020, 24}, {6'013.9, 6'000, 48}, {3, 20, 1}};
  for (const auto& c : cases) {
    const ImportTiming t = MakeImportTiming(c.span, 8, true);
    EXPECT_EQ(t.lengthMs, c.length) << c.span;
    EXPECT_EQ(t.TrackFrames(), c.length / 20) << c.span;
    EXPECT_EQ(t.frames, c.frames) << c.span;
    EXPECT_DOUBLE_EQ(t.FrameTimeMs(t.frames), double(c.length)) << c.span;
  }
}

TEST(ImportTiming, FramesBeforeATimeCountTheClipFramesTakenEarlier) {
  const ImportTiming t = MakeImportTiming(10'000, 8, true);  // a frame every 125 ms
  const std::pair<double, uint32_t> cases[] = {{-5, 0}, {0, 0}, {0.1, 1}, {125, 1}, {125.1, 2}, {9'990, 80}, {1e12, 80}};
  for (const auto& [time, before] : cases) EXPECT_EQ(t.FramesBefore(time), before) << time;
}

TEST(ImportTiming, WithoutATrackFramesLast200Ms) {
  const ImportTiming t = MakeImportTiming(3'090, 5, false);
  EXPECT_FALSE(t.withTrack);
  EXPECT_EQ(t.frames, 15u);
  EXPECT_EQ(t.lengthMs, 3'000);
  EXPECT_DOUBLE_EQ(t.FrameTimeMs(3), 600);
}

TEST(ImportTiming, ThePlayerShowsTheAskedRateForEveryRateAndLength) {
  // The player's interval: 1000 / round(1000 / (L / n)). For every rate the
  // import offers and lengths from 2 s to 10 min the rate it shows is the
  // asked one, give or take the rounding of whole milliseconds.
  for (int fps = 1; fps <= 30; ++fps) {
    for (double span = 2'000; span <= 600'000; span = span * 1.37 + 11) {
      const ImportTiming t = MakeImportTiming(span, fps, true);
      const uint32_t interval = FrameInterval(true, uint32_t(t.lengthMs), t.frames, speedNormal);
      const double shown = 1000.0 / interval;
      EXPECT_NEAR(shown, fps, fps * 0.06 + 0.05) << fps << " fps, " << span << " ms";
    }
  }
}

TEST(PictureFit, PadKeepsTheAspectWithCentredBarsOnEvenOffsets) {
  // 4:3 into 176 x 144: full width, 132 rows, 6 rows of bar above.
  FitGeometry g = FitPicture(320, 240, 1.0, 0, 176, 144, ImportFit::pad);
  EXPECT_EQ(g.width, 176);
  EXPECT_EQ(g.height, 132);
  EXPECT_EQ(g.x, 0);
  EXPECT_EQ(g.y, 6);
  EXPECT_EQ(g.cropWidth, 320);
  EXPECT_EQ(g.cropHeight, 240);
  // 16:9: 99 rows at row 22 (22.5 rounded down to even).
  g = FitPicture(640, 360, 1.0, 0, 176, 144, ImportFit::pad);
  EXPECT_EQ(g.height, 99);
  EXPECT_EQ(g.y, 22);
  // A pixel aspect of 4:3 turns 480 x 480 samples into a 4:3 picture.
  g = FitPicture(480, 480, 4.0 / 3, 0, 176, 144, ImportFit::pad);
  EXPECT_EQ(g.width, 176);
  EXPECT_EQ(g.height, 132);
}

TEST(PictureFit, ATurnedPictureIsFittedAsShown) {
  // A 320 x 240 phone video shown turned a quarter: 240 x 320 upright,
  // 108 x 144 in the frame with bars left and right.
  for (int rotation : {90, 270}) {
    const FitGeometry g = FitPicture(320, 240, 1.0, rotation, 176, 144, ImportFit::pad);
    EXPECT_EQ(g.width, 108);
    EXPECT_EQ(g.height, 144);
    EXPECT_EQ(g.x, 34);
    EXPECT_EQ(g.y, 0);
  }
  const FitGeometry upsideDown = FitPicture(320, 240, 1.0, 180, 176, 144, ImportFit::pad);
  EXPECT_EQ(upsideDown.height, 132);
}

TEST(PictureFit, CropFillsTheFrameAndCutsTheOverhangEvenly) {
  // 16:9 into 11:9: the sides go, in stored samples.
  FitGeometry g = FitPicture(640, 360, 1.0, 0, 176, 144, ImportFit::crop);
  EXPECT_EQ(g.x, 0);
  EXPECT_EQ(g.y, 0);
  EXPECT_EQ(g.width, 176);
  EXPECT_EQ(g.height, 144);
  EXPECT_EQ(g.cropHeight, 360);
  EXPECT_EQ(g.cropWidth, 440);
  EXPECT_EQ(g.cropLeft, 100);
  // Turned, a 640 x 360 video is 360 x 640 upright, taller than the frame:
  // its shown height, the stored width, is cut.
  g = FitPicture(640, 360, 1.0, 90, 176, 144, ImportFit::crop);
  EXPECT_EQ(g.cropHeight, 360);
  EXPECT_EQ(g.cropWidth, 294);  // 360 x 144 / 176, rounded down to even
  EXPECT_EQ(g.cropLeft, 172);
  // A picture taller than the frame loses rows.
  g = FitPicture(240, 320, 1.0, 0, 176, 144, ImportFit::crop);
  EXPECT_EQ(g.cropWidth, 240);
  EXPECT_EQ(g.cropHeight, 196);
  EXPECT_EQ(g.cropTop, 62);
}

TEST(PictureFit, CropOfAPictureOneSampleAcrossStaysInsideIt) {
  // {width, height, pixel aspect}: cut across a side of one or two samples.
  const struct {
    int width, height;
    double aspect;
  } cases[] = {{1, 1, 1.0}, {1, 64, 100.0}, {64, 1, 0.01}, {2, 1, 1.0}, {1, 2, 1.0}, {3, 1, 1.0}};
  for (const auto& c : cases) {
    for (int rotation : {0, 90}) {
      const FitGeometry g = FitPicture(c.width, c.height, c.aspect, rotation, 176, 144, ImportFit::crop);
      EXPECT_GE(g.cropWidth, 1) << c.width << "x" << c.height;
      EXPECT_GE(g.cropHeight, 1) << c.width << "x" << c.height;
      EXPECT_LE(g.cropLeft + g.cropWidth, c.width) << c.width << "x" << c.height;
      EXPECT_LE(g.cropTop + g.cropHeight, c.height) << c.width << "x" << c.height;
      EXPECT_GE(g.cropLeft, 0);
      EXPECT_GE(g.cropTop, 0);
    }
  }
}

}  // namespace
