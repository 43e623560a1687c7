// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// ZRV Player: the application runs the player window and ends when it closes.
#include <QApplication>
#include <QFont>
#include <QSocketNotifier>
#include <QStringList>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/display_start.h"
#include "signals/quit_signals.h"
#include "player/player_dlg.h"

namespace {

class CPlayerApp : public QApplication {
 public:
  CPlayerApp(int& argc, char** argv) : QApplication(argc, argv) {
    // No display name: Qt would add it to every title that the window
    // manager shows, and the player's title is exactly the clip's name.
    setApplicationName("zrvplayer");
    // Chinese texts need a face that has them; the desktop's own font comes
    // first where it has them too.
    QFont font = QApplication::font();
    font.setPointSize(9);
    font.setFamilies({font.family(), "WenQuanYi Micro Hei", "Noto Sans CJK SC"});
    setFont(font);
  }

  // Runs the window until it closes; returns the signal that closed it, or 0.
  int InitInstance(const std::string& file, int signalPipe) {
    CPlayerDlg dlg;
    int caught = 0;
    QSocketNotifier quitSignals(signalPipe, QSocketNotifier::Read);
    quitSignals.setEnabled(signalPipe >= 0);
    QObject::connect(&quitSignals, &QSocketNotifier::activated, &dlg, [&] {
      caught = TakeQuitSignal(signalPipe);
      if (caught == 0) return;
      quitSignals.setEnabled(false);
      // The window's own clean-up, then every event loop ends, a dialog's
      // over the window included.
      dlg.OnCancel();
      QCoreApplication::exit();
    });
    dlg.OnInitDialog(file.empty() ? QStringList() : QStringList{QString::fromStdString(file)});
    if (caught == 0) {
      // The main window, shown as any program's and not run as a modal
      // dialog: the program ends when it closes.
      QObject::connect(&dlg, &QDialog::finished, this, &QCoreApplication::quit);
      dlg.show();
      exec();
    }
    return caught;
  }
};

int RunPlayer(char* program, const std::string& file, int signalPipe) {
  // Qt is given no argument of the command line: every one of them is the
  // player's own.
  int qtArgc = 1;
  char* qtArgv[] = {program, nullptr};
  std::unique_ptr<CPlayerApp> app;
  StartWithDisplay([&] { app = std::make_unique<CPlayerApp>(qtArgc, qtArgv); });
  return app->InitInstance(file, signalPipe);
}

}  // namespace

int main(int argc, char** argv) {
  const PlayerCommandLine line = ParsePlayerCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  switch (line.action) {
    case PlayerCommandLine::kHelp:
      std::fputs(PlayerHelpText().c_str(), stdout);
      return 0;
    case PlayerCommandLine::kVersion:
      std::fputs(PlayerVersionText().c_str(), stdout);
      return 0;
    case PlayerCommandLine::kUsageError:
      std::fprintf(stderr, "zrvplayer: %s\n", line.error.c_str());
      return 2;
    case PlayerCommandLine::kRun:
      break;
  }
  const int signalPipe = InstallQuitSignals();
  const int caught = RunPlayer(argv[0], line.file, signalPipe);
  if (caught != 0) EndBySignal(caught);
  return 0;
}
