// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The pace of a clip with sound comes from its converted sound track, whether
// or not a sound output plays it. This file runs twice: with SDL's silent
// driver, and with SDL_AUDIODRIVER naming no driver at all.
#include <QAction>
#include <cstdlib>
#include <cstring>

#include "player/control_ids.h"
#include "tests/player/player_fixture.h"

namespace {

bool OutputExpected() {
  const char* driver = std::getenv("SDL_AUDIODRIVER");
  return driver && std::strcmp(driver, "dummy") == 0;
}

}  // namespace

TEST_F(PlayerTest, FrameIntervalFollowsTheSoundWithOrWithoutAnOutput) {
  CPlayerDlg& w = StartWindow();
  // 80 frames and 10 s of sound: 8 frames a second, not the 5 of a silent clip.
  MakeClip(m_dir.File("eight.zrv"), {"--frames", "80", "--fps", "8", "--sound", "tone"});
  ASSERT_TRUE(Open(m_dir.File("eight.zrv")));
  EXPECT_EQ(w.wave().m_wDeviceID != 0, OutputExpected());
  EXPECT_EQ(w.session().interval, 125u);

  // 10 s over 73 frames: 142 ms; quick halves the base (68 ms, 15 fps: 66 ms),
  // slow doubles it (273 ms, 4 fps: 250 ms).
  WriteToneWav(m_dir.File("ten.wav"), 10000);
  MakeClip(m_dir.File("seventy-three.zrv"), {"--frames", "73", "--sound", m_dir.File("ten.wav")});
  ASSERT_TRUE(Open(m_dir.File("seventy-three.zrv")));
  EXPECT_EQ(w.session().interval, 142u);
  w.OnSpeedQuick();
  EXPECT_EQ(w.session().interval, 66u);
  w.OnSpeedSlow();
  EXPECT_EQ(w.session().interval, 250u);

  // A clip without sound after one with: 200 ms again.
  MakeClip(m_dir.File("silent.zrv"), {"--frames", "10"});
  ASSERT_TRUE(Open(m_dir.File("silent.zrv")));
  EXPECT_EQ(w.session().interval, 200u);
}

TEST_F(PlayerTest, PlayingWithoutAnOutputKeepsThePace) {
  CPlayerDlg& w = StartWindow();
  MakeClip(m_dir.File("clip.zrv"), {"--frames", "40", "--fps", "20", "--sound", "tone"});
  ASSERT_TRUE(Open(m_dir.File("clip.zrv")));
  ASSERT_EQ(w.session().interval, 50u);
  w.OnPlay();
  // Ticks past the sound's start frame neither stall nor change the pace.
  for (int tick = 0; tick < 12; ++tick) w.OnTimer(ids::kPlaybackTimer);
  EXPECT_EQ(w.session().currentFrame, 12u);
  EXPECT_EQ(w.wave().m_bPlaying, OutputExpected());
  EXPECT_EQ(w.session().interval, 50u);
  EXPECT_EQ(w.statusText(), "have sound...total 40 frames,current 12 frame,fps: 20");
}

TEST_F(PlayerTest, ATrackClaimingHoursInAMegabytePlaysWithoutSound) {
  CPlayerDlg& w = StartWindow();
  // One frame, then a megabyte of one-byte no-data sound frames: 5.8 hours,
  // which would convert to a 334 MB WAV.
  MakeClip(m_dir.File("one.zrv"), {"--frames", "1"});
  const Bytes frame = ReadFile(m_dir.File("one.zrv"));
  const auto clipWithNoDataBlocks = [&](size_t blocks) {
    Bytes clip = frame;
    for (char c : std::string("#!AMR\n")) clip.push_back(uint8_t(c));
    clip.insert(clip.end(), blocks, 0x7C);
    return clip;
  };
  WriteFile(m_dir.File("hours.zrv"), clipWithNoDataBlocks(1 << 20));
  ASSERT_TRUE(Open(m_dir.File("hours.zrv")));
  EXPECT_EQ(w.statusText(), "have sound...total 1 frames");
  EXPECT_EQ(w.session().interval, 200u);
  EXPECT_FALSE(FileExists(w.privateTempDir() + "/zrvplayer_tmp.wav"));

  // Ten minutes of the same frames in a clip of that size still play.
  WriteFile(m_dir.File("minutes.zrv"), clipWithNoDataBlocks(30000));
  ASSERT_TRUE(Open(m_dir.File("minutes.zrv")));
  EXPECT_EQ(w.wave().GetLength(), 600000u);
}
