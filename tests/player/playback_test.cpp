// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QSlider>
#include <QTimer>

#include "player/control_ids.h"
#include "tests/player/player_fixture.h"

namespace {

void Tick(CPlayerDlg& w, int times = 1) {
  for (int i = 0; i < times; ++i) w.OnTimer(ids::kPlaybackTimer);
}

QSlider* Position(CPlayerDlg& w) { return static_cast<QSlider*>(w.control(ids::kPositionSlider)); }

// The sound plays from `ms`: it was started there an instant ago, so it
// stands at most a fraction of a frame further.
void ExpectSoundNear(CMciWave& wave, uint32_t ms) {
  const uint32_t at = wave.GetPosition();
  EXPECT_GE(at, ms);
  EXPECT_LT(at, ms + 120) << "started at " << ms;
}
void ExpectSoundNear(CPlayerDlg& w, uint32_t ms) { ExpectSoundNear(w.wave(), ms); }

struct Controls {
  bool open, play, pause, distill, menus;
  bool operator==(const Controls&) const = default;
};

Controls ControlsOf(CPlayerDlg& w) {
  return {w.control(ids::kOpenButton)->isEnabled(), w.control(ids::kPlayButton)->isEnabled(),
          w.control(ids::kPauseButton)->isEnabled(), w.control(ids::kDistillButton)->isEnabled(),
          w.action(ids::kSpeedQuick)->isEnabled()};
}

}  // namespace

TEST_F(PlayerTest, ControlsFollowTheState) {
  CPlayerDlg& w = StartWindow();
  EXPECT_EQ(ControlsOf(w), (Controls{true, false, false, false, false}));
  for (int id : {ids::kSpeedQuick, ids::kSpeedSlow, ids::kZoomBig, ids::kZoomSmall})
    EXPECT_FALSE(w.action(id)->isChecked());
  EXPECT_TRUE(w.action(ids::kSpeedNormal)->isChecked());
  EXPECT_TRUE(w.action(ids::kZoomNormal)->isChecked());

  MakeClip(m_dir.File("a.zrv"), {"--frames", "5"});
  ASSERT_TRUE(Open(m_dir.File("a.zrv")));
  EXPECT_EQ(ControlsOf(w), (Controls{true, true, false, true, true}));
  w.OnPlay();
  EXPECT_EQ(ControlsOf(w), (Controls{true, false, true, false, true}));
  ASSERT_NE(w.playbackTimer(), nullptr);
  EXPECT_TRUE(w.playbackTimer()->isActive());
  EXPECT_EQ(w.playbackTimer()->interval(), 200);
  w.OnPause();
  EXPECT_EQ(ControlsOf(w), (Controls{true, true, false, true, true}));
  EXPECT_TRUE(w.playbackTimer()->isActive());  // runs through pauses
}

TEST_F(PlayerTest, TicksShowFramesAndStartTheSoundAtFrameSeven) {
  CPlayerDlg& w = StartWindow();
  MakeClip(m_dir.File("tone.zrv"), {"--frames", "20", "--fps", "4", "--sound", "tone"});
  ASSERT_TRUE(Open(m_dir.File("tone.zrv")));
  const uint32_t length = w.wave().GetLength();
  ASSERT_EQ(length, 5000u);
  EXPECT_EQ(w.session().interval, 250u);

  w.OnPlay();
  Tick(w, 7);  // frames 0 to 6, silent
  EXPECT_FALSE(w.wave().m_bPlaying);
  EXPECT_EQ(w.session().currentFrame, 7u);
  EXPECT_EQ(Position(w)->value(), 6);
  EXPECT_EQ(w.statusText().toStdString(), "have sound...total 20 frames,current 7 frame,fps: 4");
  Tick(w);
  EXPECT_TRUE(w.wave().m_bPlaying);
  // In step: the sound starts at 7 / 20 of its length.
  ExpectSoundNear(w, 5000 * 7 / 20);

  // Pause, seek to 15, play: the first tick shows frame 15 and restarts the sound.
  w.OnPause();
  EXPECT_FALSE(w.wave().m_bPlaying);
  Position(w)->setValue(15);
  w.OnReleasedCaptureSlider();
  EXPECT_EQ(w.session().currentFrame, 15u);
  EXPECT_EQ(w.statusText().toStdString(), "have sound...total 20 frames,current 15 frame");
  w.OnPlay();
  Tick(w);
  EXPECT_TRUE(w.wave().m_bPlaying);
  ExpectSoundNear(w, 5000 * 15 / 20);
  EXPECT_EQ(w.session().currentFrame, 16u);

  // A seek while playing does nothing; the next tick moves the slider back.
  Position(w)->setValue(2);
  w.OnReleasedCaptureSlider();
  EXPECT_EQ(w.session().currentFrame, 16u);
  Tick(w);
  EXPECT_EQ(Position(w)->value(), 16);

  // Frames up to n - 2 are shown; the tick that reaches n - 1 pauses.
  Tick(w, 2);
  EXPECT_EQ(w.session().currentFrame, 19u);
  EXPECT_EQ(w.session().state, statePlaying);
  Tick(w);
  EXPECT_EQ(w.session().state, statePaused);
  EXPECT_EQ(w.session().currentFrame, 19u);
  EXPECT_FALSE(w.wave().m_bPlaying);
}

TEST_F(PlayerTest, OnlyTheLeftButtonReleasesTheSliders) {
  CPlayerDlg& w = StartWindow();
  MakeClip(m_dir.File("a.zrv"), {"--frames", "20"});
  ASSERT_TRUE(Open(m_dir.File("a.zrv")));
  w.OnPlay();
  Tick(w, 5);
  w.OnPause();
  ASSERT_EQ(w.session().currentFrame, 5u);
  ASSERT_EQ(Position(w)->value(), 4);

  // A right or middle click on the paused slider is no seek: a later
  // distill must still save the frame after the one on screen.
  auto release = [&w](Qt::MouseButton button) {
    const QPointF at(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, at, w.mapToGlobal(at.toPoint()), button, button,
                      Qt::NoModifier);
    QMouseEvent up(QEvent::MouseButtonRelease, at, w.mapToGlobal(at.toPoint()), button, Qt::NoButton,
                   Qt::NoModifier);
    QApplication::sendEvent(Position(w), &press);
    QApplication::sendEvent(Position(w), &up);
    QApplication::processEvents();
  };
  for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
    Position(w)->setValue(4);
    release(button);
    EXPECT_EQ(w.session().currentFrame, 5u) << button;
  }
  // The left button's release takes the slider's place.
  release(Qt::LeftButton);
  EXPECT_EQ(w.session().currentFrame, uint32_t(Position(w)->value()));
}

TEST_F(PlayerTest, NormalSpeedBeforeFrameSevenStartsTheSoundInStep) {
  CPlayerDlg& w = StartWindow();
  MakeClip(m_dir.File("tone.zrv"), {"--frames", "20", "--fps", "4", "--sound", "tone"});
  ASSERT_TRUE(Open(m_dir.File("tone.zrv")));
  w.OnSpeedQuick();
  w.OnPlay();
  Tick(w, 3);
  EXPECT_FALSE(w.wave().m_bPlaying);
  // Back to normal at frame 3: the sound starts at once, without waiting for
  // frame 7, at 3 / 20 of its length.
  w.OnSpeedNormal();
  EXPECT_TRUE(w.wave().m_bPlaying);
  ExpectSoundNear(w, 5000 * 3 / 20);
}

TEST_F(PlayerTest, OneFramePausesAtTheFirstTick) {
  CPlayerDlg& w = StartWindow();
  MakeClip(m_dir.File("one.zrv"), {"--frames", "1"});
  ASSERT_TRUE(Open(m_dir.File("one.zrv")));
  w.OnPlay();
  Tick(w);
  EXPECT_EQ(w.session().state, statePaused);
  EXPECT_EQ(w.statusText().toStdString(), "no sound...total 1 frames,current 0 frame,fps: 5");
}

TEST_F(PlayerTest, SpeedsFollowTheSoundLength) {
  CPlayerDlg& w = StartWindow();
  WriteToneWav(m_dir.File("ten.wav"), 10000);
  MakeClip(m_dir.File("a.zrv"), {"--frames", "73", "--sound", m_dir.File("ten.wav")});
  ASSERT_TRUE(Open(m_dir.File("a.zrv")));

  // While paused the period changes but the running timer is left alone.
  w.OnPlay();
  w.OnPause();
  ASSERT_TRUE(w.playbackTimer()->isActive());
  w.OnSpeedQuick();
  EXPECT_EQ(w.session().interval, 66u);
  EXPECT_EQ(w.playbackTimer()->interval(), 142);
  EXPECT_TRUE(w.playbackTimer()->isActive());
  EXPECT_TRUE(w.action(ids::kSpeedQuick)->isChecked());
  EXPECT_FALSE(w.action(ids::kSpeedNormal)->isChecked());

  w.OnPlay();
  EXPECT_EQ(w.playbackTimer()->interval(), 66);
  Tick(w, 10);
  EXPECT_FALSE(w.wave().m_bPlaying);  // no sound at quick speed
  EXPECT_EQ(w.statusText().toStdString(), "have sound...total 73 frames,current 10 frame,fps: 15");

  w.OnSpeedSlow();
  EXPECT_EQ(w.playbackTimer()->interval(), 250);
  Tick(w);
  EXPECT_FALSE(w.wave().m_bPlaying);
  EXPECT_EQ(w.statusText().toStdString(), "have sound...total 73 frames,current 11 frame,fps: 4");

  // Back to normal while playing: the sound resumes at once.
  w.OnSpeedNormal();
  EXPECT_EQ(w.playbackTimer()->interval(), 142);
  EXPECT_TRUE(w.wave().m_bPlaying);
  Tick(w);
  EXPECT_EQ(w.statusText().toStdString(), "have sound...total 73 frames,current 12 frame,fps: 7");

  // Without sound the three speeds are 100, 200 and 400 ms.
  MakeClip(m_dir.File("quiet.zrv"), {"--frames", "9"});
  ASSERT_TRUE(Open(m_dir.File("quiet.zrv")));
  w.OnSpeedQuick();
  EXPECT_EQ(w.session().interval, 100u);
  w.OnSpeedSlow();
  EXPECT_EQ(w.session().interval, 400u);
  w.OnSpeedNormal();
  EXPECT_EQ(w.session().interval, 200u);
}
