#include "tools/clipconvert/clip_paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

bool HasClipExtension(const QString& path) {
  return path.endsWith(".zrv", Qt::CaseInsensitive) || path.endsWith(".gzrv", Qt::CaseInsensitive);
}

QStringList ClipsUnder(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return {};
  if (!info.isDir()) return {QDir::cleanPath(info.absoluteFilePath())};
  QStringList clips;
  // The extension is tested here rather than by name filters, which follow
  // the file system's case.
  QDirIterator all(info.absoluteFilePath(), QDir::Files | QDir::NoDotAndDotDot,
                   QDirIterator::Subdirectories);
  while (all.hasNext()) {
    const QString file = all.next();
    if (HasClipExtension(file)) clips << QDir::cleanPath(file);
  }
  clips.sort();
  return clips;
}

QStringList ClipArguments(const QStringList& arguments) {
  if (arguments.size() == 1 && arguments.front() == "qorvex") return {};
  return arguments;
}

QString OutputPathFor(const QString& clipPath, const QString& folder, ExportFormat format) {
  const QFileInfo clip(clipPath);
  const QString name = clip.completeBaseName() + "." + ExportFormatExtension(format);
  return QDir(folder.isEmpty() ? clip.absolutePath() : folder).filePath(name);
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
