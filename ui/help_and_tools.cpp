// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "ui/help_and_tools.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

QString ProgramFolder(const QString& programDir) {
  return programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir;
}

}  // namespace

QString ManualPath(const QString& programDir) {
  return QDir(ProgramFolder(programDir)).filePath(QString::fromUtf8(kManualFileName));
}

QString ManualHtmlPath(const QString& programDir) {
  return QDir(ProgramFolder(programDir)).filePath(QStringLiteral("manual/index.html"));
}

bool DesktopOpensChm() {
  const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
  if (query.isEmpty()) return false;
  // The type shared-mime-info gives .chm files, and its older alias.
  for (const char* type : {"application/vnd.ms-htmlhelp", "application/x-chm"}) {
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(query, {QStringLiteral("query"), QStringLiteral("default"), QString::fromLatin1(type)});
    if (!process.waitForFinished(3000)) {
      process.kill();
      process.waitForFinished();
      return false;
    }
    if (!process.readAllStandardOutput().trimmed().isEmpty()) return true;
  }
  return false;
}

QString ManualToOpen(const QString& programDir) {
  const QString chm = ManualPath(programDir);
  const QString html = ManualHtmlPath(programDir);
  const bool haveChm = QFileInfo(chm).isFile();
  const bool haveHtml = QFileInfo(html).isFile();
  if (haveChm && (!haveHtml || DesktopOpensChm())) return chm;
  return haveHtml ? html : QString();
}

bool OpenManual(const QString& programDir) {
  const QString manual = ManualToOpen(programDir);
  return !manual.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(manual));
}

QString CompanionProgramName(Companion companion) {
  return QString::fromLatin1(companion == Companion::VideoConvert ? kVideoConvertProgram : kZrvChangerProgram);
}

QString FindCompanion(Companion companion, const QString& programDir) {
  return FindProgram(CompanionProgramName(companion), programDir);
}

QString FindProgram(const QString& name, const QString& programDir) {
  const QFileInfo beside(QDir(ProgramFolder(programDir)).filePath(name));
  if (beside.isFile() && beside.isExecutable()) return beside.absoluteFilePath();
  return QStandardPaths::findExecutable(name);
}

bool StartCompanion(Companion companion, const QString& programDir, qint64* pid) {
  const QString program = FindCompanion(companion, programDir);
  if (program.isEmpty()) return false;
  return QProcess::startDetached(program, {QString::fromLatin1(kCompanionArgument)}, QString(), pid);
}
