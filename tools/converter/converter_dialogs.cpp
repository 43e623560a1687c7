// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/converter/converter_dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "tools/converter/converter_texts.h"

namespace ct = converter_texts;

QStringList AskForFiles(QWidget* parent, const QString& caption, const QString& filter) {
  return QFileDialog::getOpenFileNames(parent, caption, {}, filter);
}

QString AskForFolder(QWidget* parent, const QString& caption) {
  return QFileDialog::getExistingDirectory(parent, caption);
}

ReplaceAnswer AskToReplace(QWidget* parent, const QString& title, const QString& outputPath) {
  QMessageBox box(QMessageBox::Question, title, Text(ct::kAskReplace).arg(outputPath), QMessageBox::NoButton,
                  parent);
  QPushButton* replace = box.addButton(Text(ct::kReplace), QMessageBox::YesRole);
  QPushButton* replaceAll = box.addButton(Text(ct::kReplaceAll), QMessageBox::YesRole);
  QPushButton* keep = box.addButton(Text(ct::kKeep), QMessageBox::NoRole);
  QPushButton* keepAll = box.addButton(Text(ct::kKeepAll), QMessageBox::NoRole);
  box.setDefaultButton(keep);
  box.setEscapeButton(keep);
  box.exec();
  if (box.clickedButton() == replace) return ReplaceAnswer::replace;
  if (box.clickedButton() == replaceAll) return ReplaceAnswer::replaceAll;
  if (box.clickedButton() == keepAll) return ReplaceAnswer::keepAll;
  return ReplaceAnswer::keep;
}

bool AskToStopAndClose(QWidget* parent, const QString& title, const QString& question) {
  QMessageBox box(QMessageBox::Question, title, question, QMessageBox::NoButton, parent);
  QPushButton* stop = box.addButton(Text(ct::kStopAndClose), QMessageBox::AcceptRole);
  QPushButton* keepGoing = box.addButton(Text(ct::kKeepConverting), QMessageBox::RejectRole);
  box.setDefaultButton(keepGoing);
  box.setEscapeButton(keepGoing);
  box.exec();
  return box.clickedButton() == stop;
}

void ShowFolder(const QString& folder) { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); }
