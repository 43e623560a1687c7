// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "player/window_role.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLatin1String>
#include <QWidget>

namespace {

// Qt asks the factories for each class of an object, the most derived
// first: the player's class gets its answer here before QDialog's.
QAccessibleInterface* PlayerWindowInterface(const QString& className, QObject* object) {
  if (className != QLatin1String("CPlayerDlg") || !object || !object->isWidgetType()) return nullptr;
  return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
}

}  // namespace

void AnnouncePlayerAsMainWindow() {
  static const bool installed = [] {
    QAccessible::installFactory(PlayerWindowInterface);
    return true;
  }();
  (void)installed;
}
