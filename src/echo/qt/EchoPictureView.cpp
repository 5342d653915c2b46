// SPDX-License-Identifier: GPL-3.0-or-later
#include "echo/qt/EchoPictureView.h"

#include <QPainter>

#include "echo/EchoSession.h"

namespace flowdesk {

void paintEchoPicture(QPainter& painter, QSize size, const EchoImage& image) {
  painter.fillRect(QRect(QPoint(0, 0), size),
                   QColor(kEchoBackgroundGrey, kEchoBackgroundGrey, kEchoBackgroundGrey));
  for (const EchoCell& c : echoCells(image, size.width(), size.height())) {
    painter.fillRect(c.x, c.y, c.width, c.height, Qt::black);
  }
}

EchoPictureView::EchoPictureView(QWidget* parent) : QWidget(parent) {
  // Twice the unit's display at least, so the picture stays readable.
  setMinimumSize(2 * 128, 2 * 64);
}

void EchoPictureView::setImage(const EchoImage& image) {
  image_ = image;
  update();
}

void EchoPictureView::paintEvent(QPaintEvent*) {
  if (!firstPaintDone_) {
    firstPaintDone_ = true;
    return;
  }
  QPainter painter(this);
  paintEchoPicture(painter, size(), image_);
}

}  // namespace flowdesk
