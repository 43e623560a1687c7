// The questions and file choosers of the converter window, as the desktop
// shows them. The window holds them as replaceable functions, so that tests
// answer instead.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

enum class ReplaceAnswer {
  replace,     // this file
  replaceAll,  // this one and every other that exists in this run
  keep,        // this file stays; its clip is skipped
  keepAll,
};

// Clips to add; empty when cancelled.
QStringList AskForClips(QWidget* parent);
// A folder; empty when cancelled.
QString AskForFolder(QWidget* parent, const QString& caption);
// Whether the existing `outputPath` may be replaced.
ReplaceAnswer AskToReplace(QWidget* parent, const QString& outputPath);
// True when the user wants the running conversion stopped and the window closed.
bool AskToStopAndClose(QWidget* parent);
// Shows `folder` in the desktop's file manager.
void ShowFolder(const QString& folder);
