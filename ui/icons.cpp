// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "ui/icons.h"

#include <QCoreApplication>
#include <QDir>

QIcon ProgramIcon(int id) {
  QIcon icon;
  const QDir folder(QCoreApplication::applicationDirPath() + "/icons");
  for (const QString& size : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    const QString file = folder.filePath(size + "/" + QString::number(id) + ".png");
    if (QFile::exists(file)) icon.addFile(file);
  }
  return icon;
}
