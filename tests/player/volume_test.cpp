// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include <QApplication>
#include <QMouseEvent>
#include <QSlider>

#include "player/control_ids.h"
#include "tests/audio/pulse_daemon.h"
#include "tests/player/player_fixture.h"

TEST_F(PlayerTest, VolumeSliderSetsTheSpeakersWhenReleased) {
  PulseDaemon pulse;
  pulse.Pactl({"set-sink-volume", PulseDaemon::SINK_NAME, "50%"});
  CPlayerDlg& w = StartWindow();
  auto* slider = static_cast<QSlider*>(w.control(ids::kVolumeSlider));
  EXPECT_EQ(slider->minimum(), 0);
  EXPECT_EQ(slider->maximum(), 65535);
  EXPECT_NEAR(slider->value(), 32768, 1);

  // Moving the thumb changes nothing; letting go at the right end sets 100%.
  slider->setValue(65535);
  EXPECT_NE(pulse.Pactl({"get-sink-volume", PulseDaemon::SINK_NAME}).find("50%"), std::string::npos);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(slider->width() - 1, 5),
                      QPointF(slider->mapToGlobal(QPoint(slider->width() - 1, 5))),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(slider, &release);
  QApplication::processEvents();
  EXPECT_NE(pulse.Pactl({"get-sink-volume", PulseDaemon::SINK_NAME}).find("100%"), std::string::npos);
}
