// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "ui/desktop_open.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include "ui/link_static.h"

namespace {

// xdg-open's exit statuses.
constexpr int kOpenerSucceeded = 0;
constexpr int kOpenerFileMissing = 2;

// How long the opener may take to hand the target over. Desktop openers
// (gio, kde-open, exo-open) return as soon as the application is started;
// without a desktop, xdg-open runs the application itself and returns when
// it ends, so an opener still running after this is running the application.
constexpr int kHandOverMs = 3000;

}  // namespace

int OpenWithDesktop(const QString& target) {
  const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  if (opener.isEmpty()) return kOpenErrorNoAssociation;

  // $BROWSER is the link's own fallback, tried after the desktop has said no.
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove(QStringLiteral("BROWSER"));

  // Not owned by anything that ends with the link: an application that the
  // opener runs in the foreground must not be killed with it.
  auto* process = new QProcess;
  process->setProcessEnvironment(environment);
  process->setStandardInputFile(QProcess::nullDevice());
  process->setStandardOutputFile(QProcess::nullDevice());
  process->setStandardErrorFile(QProcess::nullDevice());
  process->start(opener, {target});
  if (!process->waitForStarted()) {
    delete process;
    return kOpenErrorNoAssociation;
  }
  if (!process->waitForFinished(kHandOverMs)) {
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    return kOpenSucceeded;
  }
  const bool normalExit = process->exitStatus() == QProcess::NormalExit;
  const int status = process->exitCode();
  delete process;
  if (normalExit && status == kOpenerSucceeded) return kOpenSucceeded;
  if (normalExit && status == kOpenerFileMissing) return kOpenErrorFileNotFound;
  return kOpenErrorNoAssociation;
}
