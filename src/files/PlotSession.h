// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "base/RegionalFormat.h"
#include "files/PlotData.h"

namespace flowdesk {

struct PlotPoint {
  double time = 0;
  double value = 0;
};

// What to draw of one series: the pieces of its line. A gap (an empty
// record, a record without this value, or a step in time much longer than
// the file's usual one) ends a piece, so no line is drawn across it.
struct PlotLine {
  std::size_t series = 0;
  std::vector<std::vector<PlotPoint>> pieces;
  double low = 0;  // the values drawn, for the series' own axis
  double high = 0;
  bool hasValues() const { return !pieces.empty(); }
};

struct PlotRange {
  double from = 0;
  double to = 0;
  double span() const { return to - from; }
};

// The values of the record nearest a time, for the cursor.
struct PlotCursor {
  std::size_t record = 0;
  double time = 0;
  std::string text;  // date and time, then "name: value unit" per shown series, one a line
};

// The plot window's state without its drawing: the series and which are
// shown, the time range on view with its zoom and pan, and the lines to draw
// for a number of pixel columns. The lines keep, for each pixel column, the
// lowest and the highest value in it, so that thinning a long file to the
// width of the window loses no peak.
class PlotSession {
 public:
  // A gap is a step longer than this many times the file's usual one.
  static constexpr double kGapSteps = 3.0;
  // The narrowest view, in seconds: zooming stops there.
  static constexpr double kMinSpan = 2.0;

  // Takes the file's series; every series is shown and the view is the whole
  // file. Records are put in time order (a logger that wrapped round keeps
  // its records in memory order).
  void setData(PlotData data);
  const PlotData& data() const { return data_; }
  // Records that have a time, in time order.
  std::size_t datedRecords() const { return order_.size(); }

  // Keeps only the records from `from` to `to` (either may be open).
  void restrictTo(std::optional<double> from, std::optional<double> to);

  // The series shown, by index or by name (the name as the series list gives
  // it, case and blanks aside). chooseSeries shows exactly the ones named and
  // hands back a name it does not know, shown then unchanged.
  bool shown(std::size_t series) const;
  void setShown(std::size_t series, bool shown);
  std::optional<std::string> chooseSeries(const std::vector<std::string>& names);
  // The series as the window lists them, with their units: "V (m/s)".
  std::vector<std::string> seriesNames() const;

  PlotRange whole() const { return whole_; }
  PlotRange view() const { return view_; }
  bool zoomed() const;
  // The times of the first and the last dated record in the view.
  std::optional<PlotRange> recordsInView() const;
  // The wheel: `factor` below 1 zooms in around `centre`, above 1 out.
  void zoom(double centre, double factor);
  // A dragged rectangle: the view becomes the times it spans.
  void zoomTo(double from, double to);
  // Moves the view by `seconds`, never past either end of the file.
  void pan(double seconds);
  void reset() { view_ = whole_; }

  // The usual step between records and the longest step that is not a gap.
  double usualStep() const { return usualStep_; }
  double gapStep() const { return usualStep_ * kGapSteps; }

  // The shown series' lines over the view for `columns` pixel columns: at
  // most two points per column and piece (its lowest and its highest, in
  // their order), plus the record on each side of the view so the lines run
  // to its edges.
  std::vector<PlotLine> lines(int columns) const;

  // The dated record nearest `time` within the view, with its values.
  std::optional<PlotCursor> cursor(double time, const RegionalSettings& regional) const;

 private:
  void decimate(std::size_t series, std::size_t first, std::size_t last, double columnWidth,
                PlotLine& line) const;
  bool breaksBefore(std::size_t k, std::size_t series) const;

  PlotData data_;
  std::vector<std::size_t> order_;  // dated records, in time order
  std::vector<double> times_;       // their times
  std::vector<bool> emptyBefore_;   // an undated record came just before it in the file
  std::vector<bool> shown_;
  double usualStep_ = 0;
  PlotRange whole_;
  PlotRange view_;
};

// The title an exported image carries: the file's name and the dates of the
// records it shows, "m.log, 05/03/2024 10:00:00 to 05/03/2024 11:59:00".
std::string plotImageTitle(const std::string& path, const PlotSession& session,
                           const RegionalSettings& regional, Language language);

}  // namespace flowdesk
