// Dialog templates give places and sizes in dialog units. On screen a
// horizontal unit is 1.5 pixels and a vertical unit 1.625 pixels, and the
// dialogs use the 9-point "宋体" font (or the nearest face the system has).
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// Each edge is converted and rounded on its own, as the template's rectangle
// would be, so that neighbouring controls stay flush.
QRect DialogUnitsToPixels(int x, int y, int width, int height);
QSize DialogUnitsToPixels(int width, int height);

QFont DialogFont();
