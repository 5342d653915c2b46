// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QFont>
#include <QWidget>

#include "measure/MeasurementDisplay.h"
#include "measure/TrendGraph.h"

class QPainter;

namespace flowdesk {

// The label font of the graph: "MS Sans Serif" at 8 points, or the nearest
// font the system has.
QFont trendLabelFont();

// The graph's options for the measurement screen's input: 20 bands, the
// horizontal grid, samples from 0 at the bottom to 40 at the top, the scale
// ends and flow unit as labels.
TrendGraphOptions trendOptions(const TrendInput& input, int labelAscent);

// Draws the primitives exactly as laid out: the grey fill, the 1-pixel grid
// and zero line, the 2-pixel frame and trace, the labels in `font`, black on
// the background grey.
void paintTrendGraph(QPainter& painter, const TrendGraph& graph, const QFont& font);

// The frame of the measurement screen that holds the graph. It draws the
// input it was last given, so a repaint between two refreshes shows the
// same graph again; before the first input it draws nothing.
class TrendGraphView : public QWidget {
  Q_OBJECT
 public:
  explicit TrendGraphView(QWidget* parent = nullptr);

  // A refresh: the graph is drawn again from this input.
  void setInput(const TrendInput& input);
  bool hasInput() const { return hasInput_; }
  // The layout for the widget's present size.
  TrendGraph layout() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TrendInput input_;
  bool hasInput_ = false;
  QFont font_;
};

}  // namespace flowdesk
