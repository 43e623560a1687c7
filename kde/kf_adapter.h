// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The little that differs between KDE Frameworks 5 (Qt 5) and 6 (Qt 6) for a
// thumbnail plugin, in one place: the rest of the plugin is the same for both.
#pragma once

#include <QImage>
#include <QtGlobal>

#include "image/rgb_picture.h"

// Qt 6 takes a row's length in bytes as qsizetype, Qt 5 as int.
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
using RowBytes = qsizetype;
#else
using RowBytes = int;
#endif

// A QImage that owns a copy of `picture`'s pixels.
inline QImage ToQImage(const RgbPicture& picture) {
  const QImage view(picture.rgb.data(), picture.width, picture.height,
                    RowBytes(picture.width) * 3, QImage::Format_RGB888);
  return view.copy();
}
