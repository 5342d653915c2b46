// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/qt/PlotView.h"

#include <QGraphicsLineItem>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRubberBand>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <limits>

namespace flowdesk {

namespace {

// One wheel notch zooms by a fifth; the keys step as far.
constexpr double kZoomIn = 0.8;
constexpr double kZoomOut = 1.25;
constexpr double kKeyPanShare = 0.1;  // of the view, per arrow key
// A rectangle narrower than this is a click, not a zoom.
constexpr int kMinDragPixels = 4;

}  // namespace

PlotView::PlotView(QWidget* parent) : QChartView(parent) {
  setRenderHint(QPainter::Antialiasing);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setRubberBand(QChartView::NoRubberBand);  // the window zooms through the session
  band_ = new QRubberBand(QRubberBand::Rectangle, this);
}

double PlotView::timeAt(QPoint position) const {
  if (session_ == nullptr || chart() == nullptr) return std::numeric_limits<double>::quiet_NaN();
  const QRectF area = chart()->plotArea();
  const QPointF p = chart()->mapFromScene(mapToScene(position));
  if (area.width() <= 0 || p.x() < area.left() || p.x() > area.right()) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  const PlotRange view = session_->view();
  return view.from + (p.x() - area.left()) / area.width() * view.span();
}

int PlotView::plotColumns() const {
  if (chart() == nullptr) return width();
  const int columns = static_cast<int>(chart()->plotArea().width());
  return columns > 0 ? columns : width();
}

void PlotView::showCursor(std::optional<double> time) {
  if (chart() == nullptr || session_ == nullptr) return;
  if (cursorLine_ == nullptr) {
    cursorLine_ = new QGraphicsLineItem(chart());
    cursorLine_->setPen(QPen(QColor(0x55, 0x55, 0x55), 1, Qt::DashLine));
    cursorLine_->setZValue(100);
  }
  const PlotRange view = session_->view();
  if (!time || view.span() <= 0) {
    cursorLine_->setVisible(false);
    return;
  }
  const QRectF area = chart()->plotArea();
  const double x = area.left() + (*time - view.from) / view.span() * area.width();
  cursorLine_->setLine(x, area.top(), x, area.bottom());
  cursorLine_->setVisible(x >= area.left() && x <= area.right());
}

void PlotView::wheelEvent(QWheelEvent* event) {
  const double centre = timeAt(event->position().toPoint());
  const int delta = event->angleDelta().y();
  if (delta != 0 && onZoom) {
    const double at = std::isnan(centre) && session_ != nullptr
                          ? (session_->view().from + session_->view().to) / 2
                          : centre;
    onZoom(at, delta > 0 ? kZoomIn : kZoomOut);
  }
  event->accept();
}

void PlotView::mousePressEvent(QMouseEvent* event) {
  dragStart_ = event->position().toPoint();
  if (event->button() == Qt::LeftButton) {
    zooming_ = true;
    band_->setGeometry(QRect(dragStart_, QSize()));
    band_->show();
  } else if (event->button() == Qt::RightButton) {
    panning_ = true;
  }
  event->accept();
}

void PlotView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (zooming_) {
    // The rectangle spans the whole height: the zoom is in time.
    const QRectF area = chart()->mapToScene(chart()->plotArea()).boundingRect();
    const QRect plot = mapFromScene(area).boundingRect();
    band_->setGeometry(
        QRect(QPoint(dragStart_.x(), plot.top()), QPoint(at.x(), plot.bottom())).normalized());
  } else if (panning_ && session_ != nullptr && onPan) {
    const double columns = plotColumns();
    const double seconds = -(at.x() - dragStart_.x()) / columns * session_->view().span();
    dragStart_ = at;
    if (seconds != 0) onPan(seconds);
  }
  if (onHover) {
    const double t = timeAt(at);
    if (!std::isnan(t)) onHover(t);
  }
  event->accept();
}

void PlotView::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (zooming_ && event->button() == Qt::LeftButton) {
    zooming_ = false;
    band_->hide();
    if (std::abs(at.x() - dragStart_.x()) >= kMinDragPixels && onZoomTo) {
      // An edge dragged past the plot area stops at its edge.
      const QRectF area = chart()->plotArea();
      const auto clampedTime = [this, &area](QPoint p) {
        const QPointF c = chart()->mapFromScene(mapToScene(p));
        const double x = std::clamp(c.x(), area.left(), area.right());
        const PlotRange view = session_->view();
        return view.from + (x - area.left()) / area.width() * view.span();
      };
      if (session_ != nullptr && area.width() > 0)
        onZoomTo(clampedTime(dragStart_), clampedTime(at));
    }
  } else if (event->button() == Qt::RightButton) {
    panning_ = false;
  }
  event->accept();
}

void PlotView::keyPressEvent(QKeyEvent* event) {
  if (session_ == nullptr) return QChartView::keyPressEvent(event);
  const PlotRange view = session_->view();
  const double middle = (view.from + view.to) / 2;
  switch (event->key()) {
    case Qt::Key_Plus:
      if (onZoom) onZoom(middle, kZoomIn);
      break;
    case Qt::Key_Minus:
      if (onZoom) onZoom(middle, kZoomOut);
      break;
    case Qt::Key_Left:
      if (onPan) onPan(-view.span() * kKeyPanShare);
      break;
    case Qt::Key_Right:
      if (onPan) onPan(view.span() * kKeyPanShare);
      break;
    case Qt::Key_Escape:
      // Esc brings the whole file back and never closes the window.
      if (onReset) onReset();
      break;
    default:
      return QChartView::keyPressEvent(event);
  }
  event->accept();
}

}  // namespace flowdesk
