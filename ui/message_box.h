// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The message boxes of the auxiliary services (update check, hyperlink
// errors). The program shows real QMessageBox dialogs; a test puts a stand-in
// in their place that records what would have been shown.
#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

struct MessageBoxRequest {
  QWidget* parent = nullptr;
  QString caption;  // always "ZRV Player"
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

using MessageBoxShower = std::function<void(const MessageBoxRequest&)>;

// Replaces the real box by `shower`; an empty function brings the real box back.
void SetMessageBoxShower(MessageBoxShower shower);

// A modal box with `text`, `icon` and one OK button, captioned "ZRV Player".
void ShowMessageBox(QWidget* parent, const QString& text, QMessageBox::Icon icon);
