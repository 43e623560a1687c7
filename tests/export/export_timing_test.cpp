// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The exported frames' time stamps: exact from the sound's length, without
// drift, and the fallbacks of the player's rule.
#include <gtest/gtest.h>

#include "container/frame_timing.h"

namespace {

TEST(ExportTiming, FramesShareTheSoundExactlyWithoutDrift) {
  // 4800 frames over 600.02 s of 8 kHz sound: 125.004166... ms a frame.
  const ExportTiming t = MakeExportTiming(4800, 4800160, 8000);
  ASSERT_TRUE(t.withSound());
  EXPECT_EQ(t.FrameStartTicks(0), 0);
  EXPECT_EQ(t.FrameStartTicks(4800), int64_t(600020) * 90);  // the end is the sound's end
  for (uint32_t k : {1u, 7u, 2399u, 4799u}) {
    const double exact = double(k) * 4800160 / 8000 / 4800 * 90000;
    EXPECT_NEAR(double(t.FrameStartTicks(k)), exact, 0.5) << k;
    EXPECT_GT(t.FrameStartTicks(k), t.FrameStartTicks(k - 1));
  }
  EXPECT_EQ(t.FrameStartSample(4800), 4800160);
  EXPECT_EQ(t.FrameStartSample(1), 1001);  // 1000.033 rounded up
  EXPECT_DOUBLE_EQ(t.DurationMs(), 600020.0);
  uint64_t num, den;
  t.Fps(num, den);
  EXPECT_EQ(num, 4800u * 8000 / 160);  // reduced by their common 160
  EXPECT_EQ(den, 4800160u / 160);
}

TEST(ExportTiming, WithoutUsableSoundFramesLast200Ms) {
  for (const ExportTiming& t : {MakeExportTiming(10, -1, 0), MakeExportTiming(10, 0, 8000),
                                // 10 frames in 9 ms: under a millisecond each
                                MakeExportTiming(10, 72, 8000)}) {
    EXPECT_FALSE(t.withSound());
    EXPECT_EQ(t.FrameStartTicks(3), 3 * 18000);
    EXPECT_DOUBLE_EQ(t.DurationMs(), 2000.0);
    uint64_t num, den;
    t.Fps(num, den);
    EXPECT_EQ(num, 5u);
    EXPECT_EQ(den, 1u);
  }
  // 20 frames in 20 ms is one millisecond each: still usable.
  EXPECT_TRUE(MakeExportTiming(20, 160, 8000).withSound());
}

}  // namespace
