// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/TrendGraph.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/FieldFormat.h"

namespace flowdesk {

namespace {

constexpr int kLabelX = 5;     // from the left edge
constexpr int kLabelRise = 8;  // baseline above the line a label names

// The height of `value` in a range drawn from the top edge (topValue) down
// to gridBottom (bottomValue), truncated as the unit's own drawing does.
int heightOf(double value, int gridBottom, const TrendGraphOptions& o) {
  return static_cast<int>(gridBottom * (o.topValue - value) / (o.topValue - o.bottomValue));
}

}  // namespace

std::string trendLabel(double value, const std::string& unitText, const std::string& separator) {
  return " " + formatNumber(value, "%+.1f", separator) + unitText + " ";
}

TrendGraph trendGraph(std::span<const float> samples, const TrendRect& area,
                      const TrendGraphOptions& o) {
  TrendGraph g;
  g.fill = area;
  const int divisions = std::max(o.divisions, 1);
  const int points = static_cast<int>(samples.size());
  const int band = (area.bottom - area.top) / divisions;
  const int gridBottom = area.top + divisions * band;
  const int column = points > 0 ? (area.right - area.left) / points : 0;
  const int gridRight = area.left + points * column;

  if (o.horizontalGrid) {
    for (int k = 1; k < divisions; ++k) {
      const int y = area.top + k * band;
      g.gridLines.push_back({{area.left, y}, {gridRight, y}});
    }
  }
  if (o.verticalGrid) {
    for (int k = 1; k < points; ++k) {
      const int x = area.left + k * column;
      g.gridLines.push_back({{x, area.top}, {x, gridBottom}});
    }
  }
  g.frame = {area.left, area.top, gridRight, gridBottom};

  auto label = [&](int baseline, std::string text) {
    g.labels.push_back(
        {area.left + kLabelX, std::max(baseline, area.top + o.labelAscent), std::move(text)});
  };
  label(area.top - kLabelRise, trendLabel(o.highLabel, o.unitText, o.decimalSeparator));
  label(gridBottom - kLabelRise, trendLabel(o.lowLabel, o.unitText, o.decimalSeparator));

  // A range that is empty or upside down has no height for any value.
  if (!(o.topValue > o.bottomValue)) return g;

  if (o.zeroLine) {
    const int y = heightOf(0.0, gridBottom, o);
    g.zeroLine.push_back({{area.left, y}, {gridRight, y}});
    label(y - kLabelRise, " " + formatFixed(0, 1, o.decimalSeparator) + " ");
  }

  // The unit sends zeros where it has no history yet: nothing is joined
  // before the first real sample (the very first point is only a start).
  bool joining = false;
  TrendPoint previous;
  for (int i = 0; i < points; ++i) {
    double s = samples[static_cast<std::size_t>(i)];
    if (std::isnan(s) || s < o.bottomValue) s = o.bottomValue;
    if (s > o.topValue) s = o.topValue;
    const TrendPoint p{area.left + i * column, heightOf(s, gridBottom, o)};
    if (i > 0) {
      if (joining) {
        g.trace.push_back({previous, p});
      } else if (s > o.bottomValue && s < o.topValue && s != 0.0) {
        joining = true;
      }
    }
    previous = p;
  }
  return g;
}

}  // namespace flowdesk
