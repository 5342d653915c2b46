// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/BilingualText.h"
#include "base/BinaryFile.h"
#include "base/RegionalFormat.h"

namespace flowdesk {

// A recorded file seen as time series: one time per record and, for each
// quantity the file holds, one value per record. Both file kinds that can be
// plotted (measurement and logger) read into this shape, so the plot and its
// command-line twin know nothing of their bytes.
struct PlotSeries {
  std::string name;  // as the screens name the quantity, in the file's language
  std::string unit;  // "m3/h", "m/s"...; empty when the quantity has none
  // One per record; NaN where the record holds no value for it.
  std::vector<double> values;
};

struct PlotData {
  // Seconds since the epoch of the record's local date and time; NaN for an
  // empty record or one whose date cannot be a date.
  std::vector<double> times;
  std::vector<PlotSeries> series;
};

// A file kind's reading of a whole file as series; implementations live with
// their kind (measurement, logger).
class PlotSource {
 public:
  virtual ~PlotSource() = default;
  virtual FileResult read(const std::string& path, Language language, PlotData& out) = 0;
};

// The local date and time as seconds since the epoch (the plot's time axis
// shows local time again); NaN for fields that make no date.
double plotTime(int year, int month, int day, int hour, int minute, int second);

// "2024-03-05", "2024-03-05 14:30" or "2024-03-05 14:30:15" (a "T" may stand
// for the blank), as the command line takes its range; nothing when the text
// is none of these or no date.
std::optional<double> parsePlotDate(std::string_view text);

// The date and time of a plot time in the regional formats.
std::string plotTimeText(double time, const RegionalSettings& regional);

// A value as the screens show it: the decimals its size calls for.
std::string plotValueText(double value, const std::string& separator = ".");

// The axis title of a series: "Débit (m3/h)", or the name alone.
std::string plotAxisTitle(const PlotSeries& series);

}  // namespace flowdesk
