// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/PlotSession.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numeric>
#include <utility>

#include "base/Texts.h"

namespace flowdesk {

namespace {

// A file of one dated record still gets a view a minute wide around it.
constexpr double kSingleRecordSpan = 60.0;

std::string folded(const std::string& name) {
  std::string out;
  for (const char c : name) {
    if (c == ' ' || c == '\t') continue;
    out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  return out;
}

}  // namespace

void PlotSession::setData(PlotData data) {
  data_ = std::move(data);
  const std::size_t records = data_.times.size();
  for (PlotSeries& s : data_.series) {
    s.values.resize(records, std::numeric_limits<double>::quiet_NaN());
  }
  shown_.assign(data_.series.size(), true);

  std::vector<std::pair<std::size_t, bool>> dated;  // record, an undated one just before
  bool undatedBefore = false;
  for (std::size_t i = 0; i < records; ++i) {
    if (std::isfinite(data_.times[i])) {
      dated.emplace_back(i, undatedBefore);
      undatedBefore = false;
    } else {
      undatedBefore = true;
    }
  }
  std::stable_sort(dated.begin(), dated.end(), [this](const auto& a, const auto& b) {
    return data_.times[a.first] < data_.times[b.first];
  });
  order_.clear();
  times_.clear();
  emptyBefore_.clear();
  for (const auto& [record, gap] : dated) {
    order_.push_back(record);
    times_.push_back(data_.times[record]);
    emptyBefore_.push_back(gap);
  }

  // The median step, so that a few long pauses do not count as the usual.
  std::vector<double> steps;
  for (std::size_t k = 1; k < times_.size(); ++k) {
    if (times_[k] > times_[k - 1]) steps.push_back(times_[k] - times_[k - 1]);
  }
  usualStep_ = 0;
  if (!steps.empty()) {
    auto middle = steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2);
    std::nth_element(steps.begin(), middle, steps.end());
    usualStep_ = *middle;
  }

  if (times_.empty()) {
    whole_ = {0, kSingleRecordSpan};
  } else if (times_.back() - times_.front() < kMinSpan) {
    whole_ = {times_.front() - kSingleRecordSpan / 2, times_.front() + kSingleRecordSpan / 2};
  } else {
    whole_ = {times_.front(), times_.back()};
  }
  view_ = whole_;
}

void PlotSession::restrictTo(std::optional<double> from, std::optional<double> to) {
  PlotData kept;
  kept.series = data_.series;
  for (PlotSeries& s : kept.series) s.values.clear();
  for (std::size_t i = 0; i < data_.times.size(); ++i) {
    const double t = data_.times[i];
    // Undated records stay: they still break the line where they were.
    if (std::isfinite(t) && ((from && t < *from) || (to && t > *to))) continue;
    kept.times.push_back(t);
    for (std::size_t s = 0; s < kept.series.size(); ++s) {
      kept.series[s].values.push_back(data_.series[s].values[i]);
    }
  }
  const std::vector<bool> shown = shown_;
  setData(std::move(kept));
  shown_ = shown;
}

bool PlotSession::shown(std::size_t series) const {
  return series < shown_.size() && shown_[series];
}

void PlotSession::setShown(std::size_t series, bool shown) {
  if (series < shown_.size()) shown_[series] = shown;
}

std::vector<std::string> PlotSession::seriesNames() const {
  std::vector<std::string> names;
  for (const PlotSeries& s : data_.series) names.push_back(plotAxisTitle(s));
  return names;
}

std::optional<std::string> PlotSession::chooseSeries(const std::vector<std::string>& names) {
  std::vector<bool> chosen(data_.series.size(), false);
  for (const std::string& name : names) {
    const std::string wanted = folded(name);
    bool found = false;
    for (std::size_t s = 0; s < data_.series.size(); ++s) {
      // As the window lists it ("V (m/s)"), or its name alone ("V"), which
      // takes every series of that name whatever its unit.
      const PlotSeries& series = data_.series[s];
      if (folded(series.name) == wanted || folded(plotAxisTitle(series)) == wanted) {
        chosen[s] = true;
        found = true;
      }
    }
    if (!found) return name;
  }
  shown_ = chosen;
  return std::nullopt;
}

std::optional<PlotRange> PlotSession::recordsInView() const {
  const auto lo = std::lower_bound(times_.begin(), times_.end(), view_.from);
  const auto hi = std::upper_bound(times_.begin(), times_.end(), view_.to);
  if (lo == hi) return std::nullopt;
  return PlotRange{*lo, *(hi - 1)};
}

bool PlotSession::zoomed() const {
  return view_.from != whole_.from || view_.to != whole_.to;
}

void PlotSession::zoom(double centre, double factor) {
  if (!(factor > 0) || !std::isfinite(factor) || !std::isfinite(centre)) return;
  const double span = view_.span();
  const double newSpan = std::max(kMinSpan, span * factor);
  if (newSpan >= whole_.span()) {
    reset();
    return;
  }
  centre = std::clamp(centre, view_.from, view_.to);
  const double from = centre - (centre - view_.from) * newSpan / span;
  view_ = {from, from + newSpan};
  pan(0);
}

void PlotSession::zoomTo(double from, double to) {
  if (!std::isfinite(from) || !std::isfinite(to)) return;
  if (to < from) std::swap(from, to);
  from = std::max(from, whole_.from);
  to = std::min(to, whole_.to);
  if (to <= from) return;
  if (to - from < kMinSpan) {
    const double middle = (from + to) / 2;
    from = middle - kMinSpan / 2;
    to = middle + kMinSpan / 2;
  }
  if (to - from >= whole_.span()) {
    reset();
    return;
  }
  view_ = {from, to};
  pan(0);
}

void PlotSession::pan(double seconds) {
  if (!std::isfinite(seconds)) return;
  const double span = view_.span();
  if (span >= whole_.span()) {
    reset();
    return;
  }
  double from = std::clamp(view_.from + seconds, whole_.from, whole_.to - span);
  view_ = {from, from + span};
}

bool PlotSession::breaksBefore(std::size_t k, std::size_t series) const {
  if (k == 0) return false;
  if (emptyBefore_[k]) return true;
  if (usualStep_ > 0 && times_[k] - times_[k - 1] > gapStep()) return true;
  return !std::isfinite(data_.series[series].values[order_[k - 1]]);
}

void PlotSession::decimate(std::size_t series, std::size_t first, std::size_t last,
                           double columnWidth, PlotLine& line) const {
  const std::vector<double>& values = data_.series[series].values;
  std::vector<PlotPoint> piece;
  struct Column {
    PlotPoint low, high;
    std::size_t lowAt = 0, highAt = 0;
    bool any = false;
  } column;
  long long at = std::numeric_limits<long long>::min();
  const auto flushColumn = [&] {
    if (!column.any) return;
    if (column.lowAt == column.highAt) {
      piece.push_back(column.low);
    } else if (column.lowAt < column.highAt) {
      piece.push_back(column.low);
      piece.push_back(column.high);
    } else {
      piece.push_back(column.high);
      piece.push_back(column.low);
    }
    column.any = false;
  };
  const auto endPiece = [&] {
    flushColumn();
    if (!piece.empty()) line.pieces.push_back(std::move(piece));
    piece.clear();
  };

  double low = std::numeric_limits<double>::infinity();
  double high = -low;
  double lowAll = low;
  double highAll = high;
  for (std::size_t k = first; k <= last; ++k) {
    const double v = values[order_[k]];
    if (!std::isfinite(v)) {
      endPiece();
      continue;
    }
    if (k > first && breaksBefore(k, series)) endPiece();
    const double t = times_[k];
    auto c = static_cast<long long>(std::floor((t - view_.from) / columnWidth));
    // The view's last instant belongs to its last column, not one past it.
    if (t == view_.to && c > 0) --c;
    if (c != at) {
      flushColumn();
      at = c;
    }
    const PlotPoint p{t, v};
    if (!column.any || v < column.low.value) {
      column.low = p;
      column.lowAt = k;
    }
    if (!column.any || v > column.high.value) {
      column.high = p;
      column.highAt = k;
    }
    column.any = true;
    lowAll = std::min(lowAll, v);
    highAll = std::max(highAll, v);
    if (t >= view_.from && t <= view_.to) {
      low = std::min(low, v);
      high = std::max(high, v);
    }
  }
  endPiece();
  // A view between two records has only the records on either side to go by.
  if (low > high) {
    low = lowAll;
    high = highAll;
  }
  line.low = low;
  line.high = high;
}

std::vector<PlotLine> PlotSession::lines(int columns) const {
  std::vector<PlotLine> out;
  if (times_.empty()) return out;
  columns = std::max(columns, 1);
  const auto lo = std::lower_bound(times_.begin(), times_.end(), view_.from);
  const auto hi = std::upper_bound(times_.begin(), times_.end(), view_.to);
  std::size_t first = static_cast<std::size_t>(lo - times_.begin());
  if (first > 0) --first;
  std::size_t last = static_cast<std::size_t>(hi - times_.begin());
  if (last >= times_.size()) last = times_.size() - 1;
  const double columnWidth = view_.span() / columns;
  for (std::size_t s = 0; s < data_.series.size(); ++s) {
    if (!shown(s)) continue;
    PlotLine line;
    line.series = s;
    decimate(s, first, last, columnWidth, line);
    if (line.hasValues()) out.push_back(std::move(line));
  }
  return out;
}

std::optional<PlotCursor> PlotSession::cursor(double time, const RegionalSettings& regional) const {
  if (times_.empty() || !std::isfinite(time)) return std::nullopt;
  const auto lo = std::lower_bound(times_.begin(), times_.end(), view_.from);
  const auto hi = std::upper_bound(times_.begin(), times_.end(), view_.to);
  if (lo == hi) return std::nullopt;
  auto at = std::lower_bound(lo, hi, time);
  if (at == hi || (at != lo && time - *(at - 1) < *at - time)) --at;
  const std::size_t k = static_cast<std::size_t>(at - times_.begin());
  PlotCursor c;
  c.record = order_[k];
  c.time = times_[k];
  c.text = plotTimeText(c.time, regional);
  for (std::size_t s = 0; s < data_.series.size(); ++s) {
    if (!shown(s)) continue;
    const PlotSeries& series = data_.series[s];
    c.text += "\n" + series.name + ": " +
              plotValueText(series.values[c.record], regional.decimalSeparator);
    if (!series.unit.empty()) c.text += " " + series.unit;
  }
  return c;
}

std::string plotImageTitle(const std::string& path, const PlotSession& session,
                           const RegionalSettings& regional, Language language) {
  const auto slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::optional<PlotRange> range = session.recordsInView();
  if (!range) return name;
  const std::string from = plotTimeText(range->from, regional);
  if (range->to == range->from) return name + ", " + from;
  const char* format = kTxtPlotImageTitle.text(language);
  const std::string to = plotTimeText(range->to, regional);
  const int size = std::snprintf(nullptr, 0, format, name.c_str(), from.c_str(), to.c_str());
  std::string title(static_cast<std::size_t>(std::max(size, 0)) + 1, '\0');
  std::snprintf(title.data(), title.size(), format, name.c_str(), from.c_str(), to.c_str());
  title.resize(title.size() - 1);
  return title;
}

}  // namespace flowdesk
