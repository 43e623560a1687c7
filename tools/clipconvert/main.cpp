// ClipConvert.exe: the Video Convert companion that the player's Tool menu
// starts. It converts clips to MP4 or MKV in a window of its own.
#include <QApplication>
#include <QFont>

#include "app/language_id.h"
#include "tools/clipconvert/clip_paths.h"
#include "tools/clipconvert/convert_wnd.h"
#include "ui/language.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app.setApplicationName("ClipConvert");
  // Chinese texts need a face that has them, as in the player.
  QFont font = QApplication::font();
  font.setFamilies({font.family(), "WenQuanYi Micro Hei", "Noto Sans CJK SC"});
  app.setFont(font);
  // The same choice of language as the player's.
  UiLanguage = InterfaceLanguageFor(SystemDefaultLangID());

  CConvertWnd window;
  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  window.AddPaths(ClipArguments(arguments));
  window.show();
  return app.exec();
}
