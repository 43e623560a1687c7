// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Dialog templates give places and sizes in dialog units, which follow the
// dialog's font: a horizontal unit is a quarter of the font's average
// character width and a vertical unit an eighth of its height. A larger font
// (a larger point size, a higher font DPI) makes the whole window larger, so
// that every text keeps the room that its template gave it.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

class DialogUnits {
 public:
  // The base units of `font` as Windows derives them: the average width of
  // "A".."Z" and "a".."z", rounded, and the font's height (ascent + descent).
  explicit DialogUnits(const QFont& font);
  DialogUnits(int baseX, int baseY) : m_baseX(baseX), m_baseY(baseY) {}

  int baseX() const { return m_baseX; }
  int baseY() const { return m_baseY; }

  int X(int units) const;
  int Y(int units) const;

  // Each edge is converted and rounded on its own, as the template's
  // rectangle would be, so that neighbouring controls stay flush.
  QRect ToPixels(int x, int y, int width, int height) const;
  QSize ToPixels(int width, int height) const;

 private:
  int m_baseX;
  int m_baseY;
};

// The template font: 9-point "宋体", or the nearest face the system has.
QFont DialogFont();

// The pixels a static text keeps free around its letters: a box exactly as
// tall as the font lets descenders touch its edge, and a focus rectangle
// drawn round a link would cross its letters.
inline constexpr int kTextPadding = 1;

// The box that shows `text` whole in `metrics`' font, with that padding.
QSize TextBoxSize(const QFontMetrics& metrics, const QString& text);

// The room a push button needs to show `text` whole in `button`'s font and
// style: the text, the frame and the style's margin on each side.
QSize ButtonSizeForText(const QWidget* button, const QString& text);
