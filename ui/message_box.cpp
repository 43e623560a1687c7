#include "ui/message_box.h"

#include <QGuiApplication>
#include <utility>

namespace {

MessageBoxShower& CurrentShower() {
  static MessageBoxShower shower;
  return shower;
}

}  // namespace

void SetMessageBoxShower(MessageBoxShower shower) { CurrentShower() = std::move(shower); }

void ShowMessageBox(QWidget* parent, const QString& text, QMessageBox::Icon icon) {
  const MessageBoxRequest request{parent, QGuiApplication::applicationDisplayName(), text, icon};
  if (CurrentShower()) {
    CurrentShower()(request);
    return;
  }
  QMessageBox box(request.icon, request.caption, request.text, QMessageBox::Ok, request.parent);
  box.exec();
}
