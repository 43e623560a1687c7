// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include <gtest/gtest.h>

#include "audio/frame_interval.h"

TEST(FrameInterval, RoundsTheFrameRateOfTheSound) {
  // Ten seconds of sound over 73 frames.
  EXPECT_EQ(FrameInterval(true, 10000, 73, speedNormal), 142u);  // base 136, 7 fps
  EXPECT_EQ(FrameInterval(true, 10000, 73, speedQuick), 66u);    // base 68, 15 fps
  EXPECT_EQ(FrameInterval(true, 10000, 73, speedSlow), 250u);    // base 273, 4 fps
  EXPECT_EQ(FrameInterval(true, 12000, 96, speedNormal), 125u);  // 8 fps exactly
  EXPECT_EQ(FrameInterval(true, 1000, 3, speedNormal), 333u);
  // 1000 / 400 = 2.5 rounds up to 3 fps.
  EXPECT_EQ(FrameInterval(true, 400, 1, speedNormal), 333u);
  EXPECT_EQ(FrameInterval(true, 2000, 1, speedNormal), 1000u);  // the longest rounded base
}

TEST(FrameInterval, WithoutAUsableSoundLength) {
  for (uint32_t length : {0u, 5000u, kUnknownSoundLength}) {
    EXPECT_EQ(FrameInterval(false, length, 10, speedNormal), 200u);
    EXPECT_EQ(FrameInterval(false, length, 10, speedQuick), 100u);
    EXPECT_EQ(FrameInterval(false, length, 10, speedSlow), 400u);
  }
  EXPECT_EQ(FrameInterval(true, kUnknownSoundLength, 10, speedNormal), 200u);
  EXPECT_EQ(FrameInterval(true, kUnknownSoundLength, 10, speedSlow), 400u);
  EXPECT_EQ(FrameInterval(true, 5000, 0, speedQuick), 100u);
  // Sound shorter in milliseconds than the frame count: as fast as possible.
  EXPECT_EQ(FrameInterval(true, 0, 10, speedNormal), 1u);
  EXPECT_EQ(FrameInterval(true, 9, 10, speedSlow), 1u);
  EXPECT_EQ(FrameInterval(true, 3, 2, speedQuick), 1u);  // (3 / 2) / 2 = 0
  // More than two seconds a frame: the base itself.
  EXPECT_EQ(FrameInterval(true, 2001, 1, speedNormal), 2001u);
  EXPECT_EQ(FrameInterval(true, 30000, 2, speedQuick), 7500u);
  EXPECT_EQ(FrameInterval(true, 0xFFFFFFFEu, 1, speedSlow), 0xFFFFFFFFu);  // 2 L beyond 32 bits
  EXPECT_EQ(FrameInterval(true, 0xFFFFFFFEu, 2, speedSlow), 0xFFFFFFFEu);
}
