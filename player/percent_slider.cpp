// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "player/percent_slider.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QSlider>
#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kPercentProperty = "zrvValueAsPercent";

class PercentSliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit PercentSliderAccessible(QSlider* slider) : QAccessibleWidget(slider, QAccessible::Slider) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Value) return QStringLiteral("%1%").arg(Percent());
    return QAccessibleWidget::text(kind);
  }

  QVariant currentValue() const override { return Percent(); }
  void setCurrentValue(const QVariant& value) override {
    const QSlider* s = slider();
    const double share = std::clamp(value.toDouble(), 0.0, 100.0) / 100.0;
    slider()->setValue(s->minimum() + static_cast<int>(std::lround(share * (s->maximum() - s->minimum()))));
  }
  QVariant maximumValue() const override { return 100; }
  QVariant minimumValue() const override { return 0; }
  QVariant minimumStepSize() const override { return 1; }

 private:
  QSlider* slider() const { return static_cast<QSlider*>(widget()); }

  int Percent() const {
    const QSlider* s = slider();
    const int span = s->maximum() - s->minimum();
    if (span <= 0) return 0;
    return static_cast<int>(std::lround(100.0 * (s->value() - s->minimum()) / span));
  }
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
  auto* slider = qobject_cast<QSlider*>(object);
  if (slider && slider->property(kPercentProperty).toBool()) return new PercentSliderAccessible(slider);
  return nullptr;
}

}  // namespace

void ReportValueAsPercent(QSlider* slider) {
  static const bool installed = [] {
    QAccessible::installFactory(Factory);
    return true;
  }();
  (void)installed;
  slider->setProperty(kPercentProperty, true);
}
