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

void OpenManual(const QString& programDir) {
  const QString manual = ManualPath(programDir);
  if (!QFileInfo(manual).isFile()) return;
  QDesktopServices::openUrl(QUrl::fromLocalFile(manual));
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

bool StartCompanion(Companion companion, const QString& programDir) {
  const QString program = FindCompanion(companion, programDir);
  if (program.isEmpty()) return false;
  return QProcess::startDetached(program, {QString::fromLatin1(kCompanionArgument)});
}
