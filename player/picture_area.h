// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The picture area of the player window: a software device context over the
// pixels of a QImage, which the widget paints as it is.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>

#include "image/software_dc.h"

class PictureArea : public QWidget {
 public:
  PictureArea(QSize size, QWidget* parent);

  CSoftwareDC& dc() { return *m_dc; }
  const QImage& image() const { return m_image; }

  // Puts what was drawn into the surface on screen.
  void Present();

  // Called when the desktop asks for the area to be painted again (it was
  // shown or uncovered), before the surface is painted: the window draws the
  // current frame anew then. Presenting a drawing never calls it, so a
  // repaint cannot cause another.
  std::function<void()> onRepaint;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage m_image;
  std::unique_ptr<CSoftwareDC> m_dc;
  bool m_presentPending = false;
  bool m_repainting = false;
};
