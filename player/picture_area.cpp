// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "player/picture_area.h"

#include <QPainter>

PictureArea::PictureArea(QSize size, QWidget* parent)
    : QWidget(parent), m_image(size, QImage::Format_RGB32) {
  m_image.fill(Qt::black);
  m_dc = std::make_unique<CSoftwareDC>(reinterpret_cast<uint32_t*>(m_image.bits()),
                                       m_image.width(), m_image.height(),
                                       static_cast<int>(m_image.bytesPerLine()));
  setFixedSize(size);
  // Every pixel is painted from the image, so nothing behind it is drawn.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureArea::Present() {
  if (m_repainting) return;  // the paint under way shows it
  m_presentPending = true;
  update();
}

void PictureArea::paintEvent(QPaintEvent*) {
  if (!m_presentPending && onRepaint) {
    m_repainting = true;
    onRepaint();
    m_repainting = false;
  }
  m_presentPending = false;
  QPainter painter(this);
  painter.drawImage(0, 0, m_image);
}
