#include "tools/converter/converter_app.h"

#include <QApplication>
#include <QFont>

#include "app/language_id.h"
#include "tools/converter/converter_paths.h"
#include "tools/converter/converter_wnd.h"
#include "ui/language.h"

int RunConverter(int argc, char** argv, const char* applicationName,
                 const std::function<std::unique_ptr<CConverterWnd>()>& makeWindow) {
  QApplication app(argc, argv);
  app.setApplicationName(applicationName);
  // Chinese texts need a face that has them, as in the player.
  QFont font = QApplication::font();
  font.setFamilies({font.family(), "WenQuanYi Micro Hei", "Noto Sans CJK SC"});
  app.setFont(font);
  // The same choice of language as the player's.
  UiLanguage = InterfaceLanguageFor(SystemDefaultLangID());

  const std::unique_ptr<CConverterWnd> window = makeWindow();
  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  window->AddPaths(FileArguments(arguments));
  window->show();
  return app.exec();
}
