// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/qt/TrendGraphView.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>

#include "base/qt/core/SystemRegionalSettings.h"

namespace flowdesk {

namespace {

QPoint qtPoint(const TrendPoint& p) {
  return {p.x, p.y};
}

void strokeSegments(QPainter& painter, const std::vector<TrendSegment>& segments) {
  for (const TrendSegment& s : segments) painter.drawLine(qtPoint(s.from), qtPoint(s.to));
}

}  // namespace

QFont trendLabelFont() {
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPointSize(8);
  font.setWeight(QFont::Normal);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

TrendGraphOptions trendOptions(const TrendInput& input, int labelAscent) {
  TrendGraphOptions o;
  o.divisions = 20;
  o.horizontalGrid = true;
  o.verticalGrid = false;
  o.zeroLine = false;
  o.bottomValue = 0.0;
  o.topValue = 40.0;
  o.lowLabel = input.scaleLow;
  o.highLabel = input.scaleHigh;
  o.unitText = input.unitText;
  o.decimalSeparator = systemRegionalSettings().decimalSeparator;
  o.labelAscent = labelAscent;
  return o;
}

void paintTrendGraph(QPainter& painter, const TrendGraph& graph, const QFont& font) {
  painter.save();
  const QColor grey(kTrendBackgroundGrey, kTrendBackgroundGrey, kTrendBackgroundGrey);
  const TrendRect& f = graph.fill;
  painter.fillRect(QRect(QPoint(f.left, f.top), QPoint(f.right - 1, f.bottom - 1)), grey);

  // Lines end exactly on their pixels: no smoothing onto the neighbours.
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(Qt::black, kTrendGridPen));
  strokeSegments(painter, graph.gridLines);
  strokeSegments(painter, graph.zeroLine);

  const TrendRect& r = graph.frame;
  painter.setPen(QPen(Qt::black, kTrendFramePen));
  painter.drawRect(QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom)));

  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.setBackground(grey);
  painter.setBackgroundMode(Qt::OpaqueMode);
  for (const TrendLabel& label : graph.labels) {
    painter.drawText(QPoint(label.x, label.baseline), QString::fromStdString(label.text));
  }
  painter.setBackgroundMode(Qt::TransparentMode);

  painter.setPen(QPen(Qt::black, kTrendTracePen));
  strokeSegments(painter, graph.trace);
  painter.restore();
}

TrendGraphView::TrendGraphView(QWidget* parent) : QWidget(parent), font_(trendLabelFont()) {
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TrendGraphView::setInput(const TrendInput& input) {
  input_ = input;
  hasInput_ = true;
  update();
}

TrendGraph TrendGraphView::layout() const {
  const QRect area = rect();
  const TrendRect r{area.left(), area.top(), area.left() + area.width(),
                    area.top() + area.height()};
  return trendGraph(input_.samples, r, trendOptions(input_, QFontMetrics(font_).ascent()));
}

void TrendGraphView::paintEvent(QPaintEvent*) {
  // Nothing to draw before the first refresh: the unit has not answered yet.
  if (!hasInput_) return;
  QPainter painter(this);
  paintTrendGraph(painter, layout(), font_);
}

}  // namespace flowdesk
