#include "ui/dialog_units.h"

#include <QStringList>
#include <cmath>

namespace {

int HorizontalPixels(int units) { return static_cast<int>(std::lround(units * 1.5)); }
int VerticalPixels(int units) { return static_cast<int>(std::lround(units * 1.625)); }

}  // namespace

QRect DialogUnitsToPixels(int x, int y, int width, int height) {
  const int left = HorizontalPixels(x);
  const int top = VerticalPixels(y);
  return QRect(left, top, HorizontalPixels(x + width) - left, VerticalPixels(y + height) - top);
}

QSize DialogUnitsToPixels(int width, int height) {
  return QSize(HorizontalPixels(width), VerticalPixels(height));
}

QFont DialogFont() {
  QFont font;
  // SimSun where it is installed, else the nearest Chinese faces that Linux
  // desktops carry, so that Latin and Chinese letters come from one face.
  font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("NSimSun"),
                    QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Source Han Serif SC"),
                    QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Sans CJK SC"),
                    QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("WenQuanYi Zen Hei")});
  font.setStyleHint(QFont::Serif);
  font.setPointSize(9);
  return font;
}
