// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/clipconvert/clip_paths.h"

#include "tools/converter/converter_paths.h"

bool HasClipExtension(const QString& path) {
  return path.endsWith(".zrv", Qt::CaseInsensitive) || path.endsWith(".gzrv", Qt::CaseInsensitive);
}

QStringList ClipsUnder(const QString& path) { return FilesUnder(path, HasClipExtension); }

QString VideoPathFor(const QString& clipPath, const QString& folder, ExportFormat format) {
  return OutputPathFor(clipPath, folder, QString::fromLatin1(ExportFormatExtension(format)));
}
