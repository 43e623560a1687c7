// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The ZRV Changer window: the converter window with a list of videos (their
// length and picture size), the clips' target, the import library doing the
// work, and "Play" for a finished clip.
#pragma once

#include <functional>

#include "tools/converter/converter_wnd.h"
#include "tools/zrvchanger/changer_options.h"

// The list's columns.
enum VideoColumn : int { videoColumnName, videoColumnLength, videoColumnPicture, videoColumnResult };

class CChangerWnd : public CConverterWnd {
  Q_OBJECT

 public:
  explicit CChangerWnd(QWidget* parent = nullptr);

  // Plays the converted clip of the list's current row.
  void OnPlay();

  // Starts the player with a clip; replaceable so that tests see the call.
  std::function<bool(const QString& clip)> m_playClip;

  CChangerOptions* target() const { return m_options; }
  QPushButton* playButton() const { return m_play; }

 protected:
  QString OutputExtension() const override;
  ConvertOne PrepareRun(QString& refusal) override;
  void UpdateOwnControls(bool idle) override;

 private:
  CChangerOptions* m_options = nullptr;
  QPushButton* m_play = nullptr;
};

// Starts zrvplayer (beside this program, else on PATH) with `clip`. False
// when it is in neither place or does not start.
bool PlayInPlayer(const QString& clip);
