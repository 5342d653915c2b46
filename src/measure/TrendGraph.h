// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <span>
#include <string>
#include <vector>

namespace flowdesk {

// The trend graph as drawing primitives: the painter of the screen fills,
// strokes and writes exactly these and decides nothing, so the geometry is
// checked without a window. Coordinates are pixels of the drawing area.

struct TrendPoint {
  int x = 0;
  int y = 0;
  bool operator==(const TrendPoint&) const = default;
};

struct TrendRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const TrendRect&) const = default;
};

struct TrendSegment {
  TrendPoint from;
  TrendPoint to;
  bool operator==(const TrendSegment&) const = default;
};

// A label: black text on the background colour, its baseline at y.
struct TrendLabel {
  int x = 0;
  int baseline = 0;
  std::string text;
  bool operator==(const TrendLabel&) const = default;
};

struct TrendGraphOptions {
  int divisions = 20;  // horizontal bands of the grid
  bool horizontalGrid = true;
  bool verticalGrid = false;
  bool zeroLine = false;
  double bottomValue = 0.0;            // the sample value drawn at the bottom edge
  double topValue = 40.0;              // ... and at the top edge
  double lowLabel = 0.0;               // printed at the bottom left
  double highLabel = 0.0;              // printed at the top left
  std::string unitText;                // appended to both labels
  std::string decimalSeparator = ".";  // of both labels
  // Height of the label font above its baseline. A label whose baseline
  // would leave its text above the area is moved down just inside it (the
  // top label otherwise sits entirely above the frame).
  int labelAscent = 0;
};

// Light grey, red, green and blue 192 each; every pen and the text are black.
inline constexpr int kTrendBackgroundGrey = 192;
inline constexpr int kTrendGridPen = 1;
inline constexpr int kTrendFramePen = 2;
inline constexpr int kTrendTracePen = 2;

struct TrendGraph {
  TrendRect fill;                       // the whole area, grey
  std::vector<TrendSegment> gridLines;  // 1-pixel pen
  TrendRect frame;                      // 2-pixel pen
  std::vector<TrendSegment> zeroLine;   // empty, or the line at the value 0 (1-pixel pen)
  std::vector<TrendLabel> labels;       // high label, low label, then " 0.0 " with the zero line
  std::vector<TrendSegment> trace;      // 2-pixel pen, in drawing order
};

// Lays out the graph in `area` (its client rectangle) for the samples, one
// point per sample, equally spaced; the number of samples is the number of
// points. The trace leaves out everything before the first sample (from
// the second on) strictly inside the range and not 0, so an empty history
// of zeros draws no trace.
TrendGraph trendGraph(std::span<const float> samples, const TrendRect& area,
                      const TrendGraphOptions& options);

// " %+.1f%s ": a label value with its unit text, one blank on each side.
std::string trendLabel(double value, const std::string& unitText,
                       const std::string& separator = ".");

}  // namespace flowdesk
