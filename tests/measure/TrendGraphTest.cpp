// SPDX-License-Identifier: GPL-3.0-or-later
// The trend graph's geometry: what the painter is told to draw.
#include <gtest/gtest.h>

#include <vector>

#include "measure/TrendGraph.h"

namespace flowdesk {
namespace {

std::vector<float> samples(std::initializer_list<float> first, std::size_t total = 100) {
  std::vector<float> s(first);
  s.resize(total, 0.0f);
  return s;
}

TrendGraphOptions screenOptions(double low = 0, double high = 120, const char* unit = "m3/h") {
  TrendGraphOptions o;
  o.lowLabel = low;
  o.highLabel = high;
  o.unitText = unit;
  return o;
}

TEST(TrendGraph, GridFrameAndLabels) {
  // 279 pixels give columns of 2: the graph uses the left 200. 205 pixels
  // give bands of 10: the grid uses the top 200.
  const TrendGraph g = trendGraph(samples({}), {0, 0, 279, 205}, screenOptions());
  EXPECT_EQ(g.fill, (TrendRect{0, 0, 279, 205}));
  EXPECT_EQ(g.frame, (TrendRect{0, 0, 200, 200}));
  ASSERT_EQ(g.gridLines.size(), 19u);
  EXPECT_EQ(g.gridLines.front(), (TrendSegment{{0, 10}, {200, 10}}));
  EXPECT_EQ(g.gridLines.back(), (TrendSegment{{0, 190}, {200, 190}}));
  ASSERT_EQ(g.labels.size(), 2u);
  // The top label's baseline, 8 pixels above the top, is held at the edge.
  EXPECT_EQ(g.labels[0], (TrendLabel{5, 0, " +120.0m3/h "}));
  EXPECT_EQ(g.labels[1], (TrendLabel{5, 192, " +0.0m3/h "}));
  EXPECT_TRUE(g.zeroLine.empty());

  // The painter gives the font's ascent: the top label comes inside.
  TrendGraphOptions o = screenOptions(-5.5, 10, " l/s");
  o.labelAscent = 11;
  const TrendGraph h = trendGraph(samples({}), {0, 0, 279, 205}, o);
  EXPECT_EQ(h.labels[0], (TrendLabel{5, 11, " +10.0 l/s "}));
  EXPECT_EQ(h.labels[1], (TrendLabel{5, 192, " -5.5 l/s "}));
}

TEST(TrendGraph, TraceWaitsForASampleInsideTheRange) {
  struct Case {
    const char* what;
    std::vector<float> samples;
    std::vector<TrendSegment> trace;
  } cases[] = {
      {"all zero: no trace", samples({}), {}},
      {"a first sample inside only starts the pen", samples({20}), {}},
      {"joined from the point after the first inside sample",
       samples({0, 0, 20, 10, 40}),
       {{{4, 100}, {6, 150}}, {{6, 150}, {8, 0}}, {{8, 0}, {10, 200}}}},
      {"the edges are not inside: 40 and 0 do not start it",
       samples({0, 40, 0, 10, 10}),
       {{{6, 150}, {8, 150}}, {{8, 150}, {10, 200}}}},
      {"50 at the top edge, -5 at the bottom",
       samples({0, 1, 50, -5}),
       {{{2, 195}, {4, 0}}, {{4, 0}, {6, 200}}, {{6, 200}, {8, 200}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<TrendSegment> trace =
        trendGraph(c.samples, {0, 0, 279, 205}, screenOptions()).trace;
    // The zeros after the samples given go on joining: only the start counts.
    if (!c.trace.empty() && trace.size() > c.trace.size()) trace.resize(c.trace.size());
    EXPECT_EQ(trace, c.trace);
  }
  // Once started, every later point is joined: 99 points after the start.
  EXPECT_EQ(trendGraph(samples({5, 5}), {0, 0, 279, 205}, screenOptions()).trace.size(), 98u);
}

TEST(TrendGraph, OptionalLinesAndAnEmptyRange) {
  TrendGraphOptions o = screenOptions();
  o.verticalGrid = o.zeroLine = true;
  o.bottomValue = -10;
  o.topValue = 30;
  const TrendGraph g = trendGraph(samples({}, 4), {10, 20, 50, 120}, o);
  EXPECT_EQ(g.gridLines.back(), (TrendSegment{{40, 20}, {40, 120}})) << "after the 19 bands";
  // The height of 0 by the trace's rule: 120 x 30 / 40.
  EXPECT_EQ(g.zeroLine, (std::vector<TrendSegment>{{{10, 90}, {50, 90}}}));
  EXPECT_EQ(g.labels.back(), (TrendLabel{15, 82, " 0.0 "}));
  o.topValue = o.bottomValue;
  EXPECT_TRUE(trendGraph(samples({1, 2, 3}), {0, 0, 100, 100}, o).trace.empty());
}

}  // namespace
}  // namespace flowdesk
