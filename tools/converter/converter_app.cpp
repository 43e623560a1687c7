// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/converter/converter_app.h"

#include <QApplication>
#include <QFont>
#include <QSocketNotifier>

#include "desktop/language_id.h"
#include "signals/quit_signals.h"
#include "tools/converter/converter_paths.h"
#include "tools/converter/converter_wnd.h"
#include "ui/language.h"

int RunConverter(int argc, char** argv, const char* applicationName,
                 const std::function<std::unique_ptr<CConverterWnd>()>& makeWindow) {
  // Caught before anything runs, so that a logout or Ctrl-C at any moment
  // ends the program through the window's own clean-up.
  const int signalPipe = InstallQuitSignals();
  int caught = 0;
  {
    QApplication app(argc, argv);
    app.setApplicationName(applicationName);
    // Chinese texts need a face that has them, as in the player.
    QFont font = QApplication::font();
    font.setFamilies({font.family(), "WenQuanYi Micro Hei", "Noto Sans CJK SC"});
    app.setFont(font);
    // The same choice of language as the player's.
    UiLanguage = InterfaceLanguageFor(SystemDefaultLangID());

    std::unique_ptr<CConverterWnd> window = makeWindow();
    QSocketNotifier quitSignals(signalPipe, QSocketNotifier::Read);
    quitSignals.setEnabled(signalPipe >= 0);
    QObject::connect(&quitSignals, &QSocketNotifier::activated, window.get(), [&] {
      caught = TakeQuitSignal(signalPipe);
      if (caught == 0) return;
      quitSignals.setEnabled(false);
      // As "Stop and close" does: the run stops and leaves no output; then
      // every event loop ends, a dialog's over the window included.
      window->StopAndClose();
      QCoreApplication::exit();
    });
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    window->AddPaths(FileArguments(arguments));
    window->show();
    const int status = app.exec();
    if (caught == 0) return status;
  }
  EndBySignal(caught);
}
