// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The questions and file choosers of the converter windows, as the desktop
// shows them. A window holds them as replaceable functions, so that tests
// answer instead.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

enum class ReplaceAnswer {
  replace,     // this file
  replaceAll,  // this one and every other that exists in this run
  keep,        // this file stays; its input is skipped
  keepAll,
};

// Files to add; empty when cancelled. `filter` in QFileDialog's form.
QStringList AskForFiles(QWidget* parent, const QString& caption, const QString& filter);
// A folder; empty when cancelled.
QString AskForFolder(QWidget* parent, const QString& caption);
// Whether the existing `outputPath` may be replaced.
ReplaceAnswer AskToReplace(QWidget* parent, const QString& title, const QString& outputPath);
// True when the user wants the running conversion stopped and the window closed.
bool AskToStopAndClose(QWidget* parent, const QString& title, const QString& question);
// Shows `folder` in the desktop's file manager.
void ShowFolder(const QString& folder);
