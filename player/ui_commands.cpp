// The commands that open the auxiliary dialogs and programs.
#include "player/icons.h"
#include "player/player_dlg.h"
#include "ui/about_dialog.h"
#include "ui/help_and_tools.h"
#include "ui/update_check.h"

void CPlayerDlg::OnAbout() { ShowAboutDialog(this, ProgramIcon(157)); }
void CPlayerDlg::OnCheckVersion() { CheckForUpdate(this); }
void CPlayerDlg::OnManual() { OpenManual(); }
void CPlayerDlg::OnVideoConvert() { StartCompanion(Companion::VideoConvert); }
void CPlayerDlg::OnZrvChanger() { StartCompanion(Companion::ZrvChanger); }
