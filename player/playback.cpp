// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The playback clock: play, pause, the timer tick, seeking, the three speeds,
// and which controls each state allows.
#include <QAction>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <cstdarg>

#include "audio/frame_interval.h"
#include "player/control_ids.h"
#include "player/player_dlg.h"
#include "player/texts.h"

namespace {

// The sound starts only once this many frames have been shown.
constexpr uint32_t RESYNC_MIN_FRAME = 7;

}  // namespace

void CPlayerDlg::SetStatusFormat(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  SetStatus(std::string(text));
}

void CPlayerDlg::OnPlay() {
  // Not before the clip's frame count, and so its pace, is known.
  if (m_session.indexing) return;
  if (!m_timer) {
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, [this] { OnTimer(ids::kPlaybackTimer); });
  }
  m_timer->start(static_cast<int>(m_session.interval));
  m_session.state = statePlaying;
  UpdateControls();
}

void CPlayerDlg::OnPause() {
  m_session.state = statePaused;
  if (m_session.index.hasSound) m_wave.Stop();
  UpdateControls();
}

uint32_t CPlayerDlg::SoundLength() { return m_soundLength; }

// Starts the sound at the point that matches the frame about to be shown.
void CPlayerDlg::StartSoundAtCurrentFrame() {
  m_wave.Play();
  const uint64_t length = SoundLength();
  m_wave.SeekAndPlay(
      static_cast<uint32_t>(length * m_session.currentFrame / m_session.index.frameCount));
}

void CPlayerDlg::OnTimer(int timerId) {
  PlayerSession& s = m_session;
  if (timerId != ids::kPlaybackTimer || s.state != statePlaying) return;
  const uint32_t n = s.index.frameCount;

  if (s.index.hasSound && s.speedMode == speedNormal && s.currentFrame >= RESYNC_MIN_FRAME &&
      !m_wave.m_bPlaying)
    StartSoundAtCurrentFrame();

  // The last frame shown is n - 2; the tick that reaches n - 1 ends playback.
  if (s.currentFrame + 1 < n) {
    ShowFrame();
    m_position->setValue(static_cast<int>(s.currentFrame));
    s.currentFrame += 1;
  } else {
    OnPause();
  }
  SetStatusFormat(s.index.hasSound ? texts::kTickSound.Text() : texts::kTickSilent.Text(),
                  static_cast<int>(n), static_cast<int>(s.currentFrame),
                  static_cast<int>(1000 / s.interval));
}

// A seek takes effect only while not playing; the sound follows at the next
// sound start.
void CPlayerDlg::OnReleasedCaptureSlider() {
  PlayerSession& s = m_session;
  if (s.state != stateLoaded && s.state != statePaused) return;
  s.currentFrame = static_cast<uint32_t>(m_position->value());
  ShowFrame();
  SetStatusFormat(s.index.hasSound ? texts::kSeekSound.Text() : texts::kSeekSilent.Text(),
                  static_cast<int>(s.index.frameCount), static_cast<int>(s.currentFrame));
}

void CPlayerDlg::SetSpeed(int speedMode, int commandId) {
  PlayerSession& s = m_session;
  s.speedMode = speedMode;
  if (speedMode != speedNormal && s.index.hasSound) m_wave.Stop();
  const uint32_t soundMs = s.index.hasSound ? SoundLength() : kUnknownSoundLength;
  s.interval = FrameInterval(s.index.hasSound, soundMs, s.index.frameCount,
                             static_cast<SpeedMode>(speedMode));

  if (s.state == statePlaying) {
    m_timer->start(static_cast<int>(s.interval));
    // Back at normal speed the sound resumes at once, in step.
    if (speedMode == speedNormal) StartSoundAtCurrentFrame();
  }
  CheckOne(commandId, {ids::kSpeedQuick, ids::kSpeedNormal, ids::kSpeedSlow});
}

void CPlayerDlg::OnSpeedQuick() { SetSpeed(speedQuick, ids::kSpeedQuick); }
void CPlayerDlg::OnSpeedNormal() { SetSpeed(speedNormal, ids::kSpeedNormal); }
void CPlayerDlg::OnSpeedSlow() { SetSpeed(speedSlow, ids::kSpeedSlow); }

void CPlayerDlg::UpdateControls() {
  PlayerSession& s = m_session;
  const int speedAndZoom[] = {ids::kSpeedQuick, ids::kSpeedNormal, ids::kSpeedSlow,
                              ids::kZoomBig,    ids::kZoomNormal,  ids::kZoomSmall};
  auto resetSpeedAndZoom = [&](bool enabled) {
    for (int id : speedAndZoom) {
      m_actions[id]->setEnabled(enabled);
      m_actions[id]->setChecked(id == ids::kSpeedNormal || id == ids::kZoomNormal);
    }
    s.zoomMode = zoomNormal;
    s.speedMode = speedNormal;
  };

  m_open->setEnabled(true);
  switch (s.state) {
    case stateNoFile:
      m_play->setEnabled(false);
      m_pause->setEnabled(false);
      m_distill->setEnabled(false);
      resetSpeedAndZoom(false);
      setWindowTitle(texts::kTitle);
      s.index.hasSound = false;
      break;
    case stateLoaded:
      m_play->setEnabled(!s.indexing);
      m_pause->setEnabled(false);
      m_distill->setEnabled(true);
      resetSpeedAndZoom(true);
      break;
    case statePlaying:
      m_play->setEnabled(false);
      m_pause->setEnabled(true);
      m_distill->setEnabled(false);
      break;
    case statePaused:
      m_play->setEnabled(true);
      m_pause->setEnabled(false);
      m_distill->setEnabled(true);
      break;
  }
}
