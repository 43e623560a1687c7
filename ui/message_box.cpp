// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "ui/message_box.h"

#include <utility>

namespace {

// The caption of every box; the program leaves Qt's display name unset, so
// that window titles stay exactly as the window sets them.
constexpr const char* kCaption = "ZRV Player";

MessageBoxShower& CurrentShower() {
  static MessageBoxShower shower;
  return shower;
}

}  // namespace

void SetMessageBoxShower(MessageBoxShower shower) { CurrentShower() = std::move(shower); }

void ShowMessageBox(QWidget* parent, const QString& text, QMessageBox::Icon icon) {
  const MessageBoxRequest request{parent, QString::fromLatin1(kCaption), text, icon};
  if (CurrentShower()) {
    CurrentShower()(request);
    return;
  }
  QMessageBox box(request.icon, request.caption, request.text, QMessageBox::Ok, request.parent);
  box.exec();
}
