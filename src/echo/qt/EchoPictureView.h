// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QWidget>

#include "echo/EchoFile.h"

class QPainter;

namespace flowdesk {

// Paints a picture on an area of `size` pixels from its top left corner:
// the light grey fill, then each dark pixel as a black cell (see echoCells).
void paintEchoPicture(QPainter& painter, QSize size, const EchoImage& image);

// The area of the echo screen that shows the picture, enlarged to its size.
// Its first paint happens before any picture has arrived and only marks that
// it happened; every later paint draws the picture it was last given.
class EchoPictureView : public QWidget {
  Q_OBJECT
 public:
  explicit EchoPictureView(QWidget* parent = nullptr);

  void setImage(const EchoImage& image);
  const EchoImage& image() const { return image_; }
  bool firstPaintDone() const { return firstPaintDone_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  EchoImage image_{};
  bool firstPaintDone_ = false;
};

}  // namespace flowdesk
