// The commands that open the auxiliary dialogs and programs.
#include "player/icons.h"
#include "player/player_dlg.h"
#include "ui/about_dialog.h"
#include "ui/help_and_tools.h"
#include "ui/running_companions.h"
#include "ui/update_check.h"

void CPlayerDlg::OnAbout() { ShowAboutDialog(this, ProgramIcon(157)); }
void CPlayerDlg::OnCheckVersion() { CheckForUpdate(this); }
void CPlayerDlg::OnManual() { OpenManual(); }
void CPlayerDlg::OnVideoConvert() { StartCompanionAbove(Companion::VideoConvert); }
void CPlayerDlg::OnZrvChanger() { StartCompanionAbove(Companion::ZrvChanger); }

// A window kept on top would hide the companion's: the player steps down
// while the companion runs.
void CPlayerDlg::StartCompanionAbove(Companion companion) {
  qint64 pid = 0;
  if (StartCompanion(companion, QString(), &pid) && m_companions->Add(pid)) UpdateOnTop();
}

void CPlayerDlg::UpdateOnTop() { PlaceOnTop(m_alwaysOnTop && m_companions->count() == 0); }
