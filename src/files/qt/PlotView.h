// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QChartView>
#include <functional>

#include "files/PlotSession.h"

class QGraphicsLineItem;
class QRubberBand;

namespace flowdesk {

// The chart view of the plot window: turns the wheel, a dragged rectangle
// (left button), a drag with the right button and the keys into zoom, pan
// and cursor requests on the session's times. It changes nothing itself:
// the window runs the requests on the session and draws again.
class PlotView : public QChartView {
 public:
  explicit PlotView(QWidget* parent = nullptr);

  // The session whose view the positions are read against.
  void setSession(const PlotSession* session) { session_ = session; }

  std::function<void(double centre, double factor)> onZoom;
  std::function<void(double from, double to)> onZoomTo;
  std::function<void(double seconds)> onPan;
  std::function<void()> onReset;
  std::function<void(double time)> onHover;

  // The time under a position of the view; NaN outside the plot area.
  double timeAt(QPoint position) const;
  // The cursor's line at a time, or none.
  void showCursor(std::optional<double> time);
  // The plot area's width in pixels, the columns the lines are thinned to.
  int plotColumns() const;

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  const PlotSession* session_ = nullptr;
  QRubberBand* band_ = nullptr;
  QGraphicsLineItem* cursorLine_ = nullptr;
  QPoint dragStart_;
  bool zooming_ = false;
  bool panning_ = false;
};

}  // namespace flowdesk
