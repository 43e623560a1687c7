// ZRV Player: the application runs the player window and ends when it closes.
#include <QApplication>
#include <QFont>
#include <QStringList>

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

  int InitInstance() {
    CPlayerDlg dlg;
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    dlg.OnInitDialog(arguments);
    dlg.exec();
    return 0;
  }
};

}  // namespace

int main(int argc, char** argv) {
  CPlayerApp app(argc, argv);
  return app.InitInstance();
}
