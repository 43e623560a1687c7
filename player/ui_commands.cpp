// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The commands that open the auxiliary dialogs and programs.
#include <QEvent>

#include "ui/icons.h"
#include "player/player_dlg.h"
#include "ui/about_dialog.h"
#include "ui/help_and_tools.h"
#include "ui/running_companions.h"
#include "ui/update_check.h"

void CPlayerDlg::OnAbout() { ShowAboutDialog(this, ProgramIcon(157)); }
void CPlayerDlg::OnCheckVersion() { CheckForUpdate(this); }

// The browser or help viewer must come up above the player: it steps down
// while it hands the manual over, and takes its place again once the user
// has been to another window and comes back to it (the viewer is not its
// child, so its end cannot be watched as a companion's is).
void CPlayerDlg::OnManual() {
  if (!OpenManual()) return;
  m_manualHandedOver = true;
  m_leftForManual = false;
  UpdateOnTop();
}

void CPlayerDlg::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && m_manualHandedOver) {
    if (!isActiveWindow()) {
      m_leftForManual = true;
    } else if (m_leftForManual) {
      m_manualHandedOver = m_leftForManual = false;
      UpdateOnTop();
    }
  }
  QDialog::changeEvent(event);
}
void CPlayerDlg::OnVideoConvert() { StartCompanionAbove(Companion::VideoConvert); }
void CPlayerDlg::OnZrvChanger() { StartCompanionAbove(Companion::ZrvChanger); }

// A window kept on top would hide the companion's: the player steps down
// while the companion runs.
void CPlayerDlg::StartCompanionAbove(Companion companion) {
  qint64 pid = 0;
  if (StartCompanion(companion, QString(), &pid) && m_companions->Add(pid)) UpdateOnTop();
}

void CPlayerDlg::UpdateOnTop() {
  PlaceOnTop(m_alwaysOnTop && m_companions->count() == 0 && !m_manualHandedOver);
}
