// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The desktop's open and save dialogs, as the player window asks them.
#pragma once

#include <QString>
#include <optional>
#include <string>

class QWidget;

// The answer of a file dialog: the full path and the file name alone.
struct ChosenFile {
  std::string path;
  std::string fileName;
};

// `filter` is a list of "description|pattern|" pairs. The save dialog asks no
// question about overwriting and adds no extension. Empty when cancelled.
std::optional<ChosenFile> AskForFile(QWidget* parent, const QString& filter, bool save);

// The same filter in the form the Qt dialogs take.
QString DialogFilter(const QString& filter);
