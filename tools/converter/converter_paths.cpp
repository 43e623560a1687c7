// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/converter/converter_paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

QStringList FilesUnder(const QString& path, const std::function<bool(const QString& file)>& takes) {
  const QFileInfo info(path);
  if (!info.exists()) return {};
  if (!info.isDir()) return {QDir::cleanPath(info.absoluteFilePath())};
  QStringList files;
  // The extension is tested by `takes` rather than by name filters, which
  // follow the file system's case.
  QDirIterator all(info.absoluteFilePath(), QDir::Files | QDir::NoDotAndDotDot,
                   QDirIterator::Subdirectories);
  while (all.hasNext()) {
    const QString file = all.next();
    if (takes(file)) files << QDir::cleanPath(file);
  }
  files.sort();
  return files;
}

QStringList FileArguments(const QStringList& arguments) {
  if (arguments.size() == 1 && arguments.front() == "qorvex") return {};
  return arguments;
}

QString OutputPathFor(const QString& inputPath, const QString& folder, const QString& extension) {
  const QFileInfo input(inputPath);
  const QString name = input.completeBaseName() + "." + extension;
  return QDir(folder.isEmpty() ? input.absolutePath() : folder).filePath(name);
}

QString LengthText(uint64_t ms) {
  const uint64_t seconds = (ms + 500) / 1000;
  const uint64_t hours = seconds / 3600, minutes = seconds / 60 % 60, rest = seconds % 60;
  if (hours > 0)
    return QString("%1:%2:%3").arg(hours).arg(minutes, 2, 10, QChar('0')).arg(rest, 2, 10, QChar('0'));
  return QString("%1:%2").arg(minutes).arg(rest, 2, 10, QChar('0'));
}

QString SizeText(uint64_t bytes) {
  const double kb = double(bytes) / 1024;
  if (kb < 1024) return QString("%1 KB").arg(qMax<qint64>(1, qRound64(kb)));
  const double mb = kb / 1024;
  if (mb < 1024) return QString("%1 MB").arg(mb, 0, 'f', 1);
  return QString("%1 GB").arg(mb / 1024, 0, 'f', 1);
}
