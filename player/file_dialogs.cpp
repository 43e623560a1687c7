// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "player/file_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

QString DialogFilter(const QString& filter) {
  // Each description already names its pattern in brackets, which is what
  // the Qt dialogs read.
  const QStringList parts = filter.split('|', Qt::SkipEmptyParts);
  QStringList descriptions;
  for (int i = 0; i < parts.size(); i += 2) descriptions << parts[i];
  return descriptions.join(";;");
}

std::optional<ChosenFile> AskForFile(QWidget* parent, const QString& filter, bool save) {
  const QString qtFilter = DialogFilter(filter);
  const QString path =
      save ? QFileDialog::getSaveFileName(parent, {}, {}, qtFilter, nullptr,
                                          QFileDialog::DontConfirmOverwrite)
           : QFileDialog::getOpenFileName(parent, {}, {}, qtFilter);
  if (path.isEmpty()) return std::nullopt;
  return ChosenFile{path.toStdString(), QFileInfo(path).fileName().toStdString()};
}
