// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "ui/dialog_units.h"

#include <QFontMetrics>
#include <QStringList>
#include <QStyle>
#include <QWidget>

namespace {

// Windows' MulDiv: the product divided, rounded half away from zero.
int MulDiv(int number, int numerator, int denominator) {
  const long long product = static_cast<long long>(number) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int alphabetWidth =
      metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  m_baseX = (alphabetWidth / 26 + 1) / 2;
  m_baseY = metrics.ascent() + metrics.descent();
}

int DialogUnits::X(int units) const { return MulDiv(units, m_baseX, 4); }
int DialogUnits::Y(int units) const { return MulDiv(units, m_baseY, 8); }

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
  const int left = X(x);
  const int top = Y(y);
  return QRect(left, top, X(x + width) - left, Y(y + height) - top);
}

QSize DialogUnits::ToPixels(int width, int height) const { return QSize(X(width), Y(height)); }

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

QSize TextBoxSize(const QFontMetrics& metrics, const QString& text) {
  return QSize(metrics.horizontalAdvance(text) + 2 * kTextPadding, metrics.height() + 2 * kTextPadding);
}

QSize ButtonSizeForText(const QWidget* button, const QString& text) {
  const QFontMetrics metrics(button->font());
  const QStyle* style = button->style();
  const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
  const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
  QString shown = text;
  shown.remove(u'&');  // a mnemonic's marker is drawn as an underline, not a letter
  return QSize(metrics.horizontalAdvance(shown) + 2 * (frame + margin), metrics.height() + 2 * frame + 2);
}
