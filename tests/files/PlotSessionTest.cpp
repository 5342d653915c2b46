// SPDX-License-Identifier: GPL-3.0-or-later
// The plot's state without its drawing: thinning to pixel columns keeps each
// column's extremes, gaps break the lines, the series choice, the zoom and
// pan limits, the cursor, and the date range of flowdesk-cli plot.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "files/PlotData.h"
#include "files/PlotSession.h"

namespace flowdesk {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kStart = plotTime(2024, 3, 5, 10, 0, 0);

// `values` one second apart from kStart; NaN in `times` marks an empty record.
PlotData series(const std::vector<double>& values, std::vector<double> times = {}) {
  PlotData d;
  if (times.empty()) {
    for (std::size_t i = 0; i < values.size(); ++i) times.push_back(kStart + double(i));
  }
  d.times = times;
  d.series.push_back({"Flow", "m3/h", values});
  return d;
}

std::vector<double> pointsOf(const PlotLine& line) {
  std::vector<double> v;
  for (const auto& piece : line.pieces) {
    for (const PlotPoint& p : piece) v.push_back(p.value);
  }
  return v;
}

TEST(PlotSession, ThinningKeepsEveryColumnsExtremes) {
  // 10,000 records of a slow wave with one-record spikes: thinned to 100
  // columns the spikes must all survive, and no column holds more than its
  // lowest and highest.
  std::vector<double> values;
  for (int i = 0; i < 10000; ++i) values.push_back(std::sin(i / 500.0));
  const struct {
    int at;
    double value;
  } spikes[] = {{17, 50.0}, {4321, -80.0}, {9998, 75.0}, {5000, 60.0}, {5001, -60.0}};
  for (const auto& s : spikes) values[static_cast<std::size_t>(s.at)] = s.value;

  PlotSession session;
  session.setData(series(values));
  for (int columns : {100, 1600}) {
    SCOPED_TRACE(columns);
    const std::vector<PlotLine> lines = session.lines(columns);
    ASSERT_EQ(lines.size(), 1u);
    const std::vector<double> drawn = pointsOf(lines[0]);
    EXPECT_LE(drawn.size(), static_cast<std::size_t>(2 * columns + 2));
    for (const auto& s : spikes) {
      EXPECT_NE(std::find(drawn.begin(), drawn.end(), s.value), drawn.end()) << s.at;
    }
    EXPECT_DOUBLE_EQ(lines[0].low, -80.0);
    EXPECT_DOUBLE_EQ(lines[0].high, 75.0);
  }
  // One column keeps the file's lowest and highest, in their order.
  EXPECT_EQ(pointsOf(session.lines(1)[0]), (std::vector<double>{-80.0, 75.0}));
  // Fewer records than columns: every record is drawn as it is.
  PlotSession few;
  few.setData(series({1, 5, 2, 4}));
  EXPECT_EQ(pointsOf(few.lines(800)[0]), (std::vector<double>{1, 5, 2, 4}));
}

TEST(PlotSession, GapsBreakTheLine) {
  const double t = kStart;
  const struct Case {
    const char* what;
    std::vector<double> times;
    std::vector<double> values;
    std::vector<std::size_t> pieceSizes;
  } cases[] = {
      {"steady steps", {t, t + 10, t + 20, t + 30}, {1, 2, 3, 4}, {4}},
      {"an empty record", {t, t + 10, kNaN, t + 30, t + 40}, {1, 2, 0, 3, 4}, {2, 2}},
      {"a record without the value", {t, t + 10, t + 20, t + 30}, {1, kNaN, 3, 4}, {1, 2}},
      {"a pause over three steps", {t, t + 10, t + 20, t + 51, t + 61}, {1, 2, 3, 4, 5}, {3, 2}},
      {"a pause of three steps", {t, t + 10, t + 20, t + 50, t + 60}, {1, 2, 3, 4, 5}, {5}},
      {"records out of order", {t + 20, t, t + 10, t + 30}, {3, 1, 2, 4}, {4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PlotSession session;
    session.setData(series(c.values, c.times));
    const std::vector<PlotLine> lines = session.lines(1000);
    ASSERT_EQ(lines.size(), 1u);
    std::vector<std::size_t> sizes;
    for (const auto& piece : lines[0].pieces) sizes.push_back(piece.size());
    EXPECT_EQ(sizes, c.pieceSizes);
  }
}

TEST(PlotSession, SeriesChoiceByNameAndByIndex) {
  PlotData d = series({1, 2, 3});
  d.series.push_back({"V", "m/s", {4, 5, 6}});
  d.series.push_back({"Gain1dB", "", {7, 8, 9}});
  const struct Case {
    std::vector<std::string> names;
    std::optional<std::string> unknown;
    std::vector<std::size_t> shown;
  } cases[] = {
      {{"flow"}, std::nullopt, {0}},
      {{"v", "GAIN1DB"}, std::nullopt, {1, 2}},
      {{" Gain1 dB "}, std::nullopt, {2}},
      {{"Flow", "Speed"}, "Speed", {0, 1, 2}},  // refused: nothing changes
      // as the window lists them, with their units
      {{"Flow (m3/h)", "V(m/s)"}, std::nullopt, {0, 1}},
      {{"V (km/h)"}, "V (km/h)", {0, 1, 2}},
  };
  for (const Case& c : cases) {
    PlotSession session;
    session.setData(d);
    EXPECT_EQ(session.chooseSeries(c.names), c.unknown);
    std::vector<std::size_t> drawn;
    for (const PlotLine& line : session.lines(100)) drawn.push_back(line.series);
    EXPECT_EQ(drawn, c.shown);
  }
  PlotSession session;
  session.setData(d);
  EXPECT_EQ(session.seriesNames(), (std::vector<std::string>{"Flow (m3/h)", "V (m/s)", "Gain1dB"}));
  session.setShown(1, false);
  session.setShown(7, true);  // no such series: ignored
  EXPECT_EQ(session.lines(100).size(), 2u);
  EXPECT_FALSE(session.shown(1));
}

TEST(PlotSession, ZoomAndPanStayInsideTheFile) {
  std::vector<double> values(3601, 1.0);  // an hour, one record a second
  PlotSession s;
  s.setData(series(values));
  const double end = kStart + 3600;
  const struct Case {
    const char* what;
    std::function<void(PlotSession&)> act;
    double from, to;
  } cases[] = {
      {"wheel in at the middle", [](PlotSession& p) { p.zoom(kStart + 1800, 0.5); }, kStart + 900,
       kStart + 2700},
      {"wheel in at the start", [](PlotSession& p) { p.zoom(kStart, 0.5); }, kStart, kStart + 1800},
      {"wheel out past the file", [](PlotSession& p) { p.zoom(kStart + 5, 4); }, kStart, end},
      {"a minute's rectangle", [](PlotSession& p) { p.zoomTo(kStart + 120, kStart + 60); },
       kStart + 60, kStart + 120},
      {"a rectangle past the end", [end](PlotSession& p) { p.zoomTo(end - 60, end + 500); },
       end - 60, end},
      {"a rectangle too narrow", [](PlotSession& p) { p.zoomTo(kStart + 100, kStart + 100.5); },
       kStart + 99.25, kStart + 101.25},
      {"pan past the end",
       [](PlotSession& p) {
         p.zoomTo(kStart, kStart + 600);
         p.pan(1e9);
       },
       end - 600, end},
      {"pan past the start",
       [](PlotSession& p) {
         p.zoomTo(kStart + 600, kStart + 1200);
         p.pan(-700);
       },
       kStart, kStart + 600},
      {"pan on the whole file", [](PlotSession& p) { p.pan(100); }, kStart, end},
      {"reset",
       [](PlotSession& p) {
         p.zoom(kStart, 0.1);
         p.reset();
       },
       kStart, end},
      {"nonsense is ignored",
       [](PlotSession& p) {
         p.zoom(kNaN, 0.5);
         p.zoom(kStart, -1);
         p.pan(kNaN);
         p.zoomTo(kNaN, 3);
       },
       kStart, end},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PlotSession p;
    p.setData(series(values));
    c.act(p);
    EXPECT_DOUBLE_EQ(p.view().from, c.from);
    EXPECT_DOUBLE_EQ(p.view().to, c.to);
    EXPECT_EQ(p.zoomed(), c.from != kStart || c.to != end);
  }
  // A zoomed view draws only its records, plus one on each side.
  s.zoomTo(kStart + 60, kStart + 120);
  const std::vector<PlotLine> lines = s.lines(1000);
  EXPECT_EQ(lines[0].pieces[0].size(), 63u);
}

TEST(PlotSession, CursorShowsTheNearestRecordInView) {
  PlotData d = series({1.5, 2.5, 3.5}, {kStart, kStart + 10, kStart + 20});
  d.series.push_back({"V", "", {7, kNaN, 9}});
  PlotSession s;
  s.setData(d);
  RegionalSettings regional;
  const struct {
    double at;
    std::size_t record;
    const char* text;
  } cases[] = {
      {kStart - 100, 0, "05/03/2024 10:00:00\nFlow: 1.500 m3/h\nV: 7.000"},
      {kStart + 6, 1, "05/03/2024 10:00:10\nFlow: 2.500 m3/h\nV: -"},
      {kStart + 14.9, 1, nullptr},
      {kStart + 15.1, 2, nullptr},
      {kStart + 1000, 2, nullptr},
  };
  for (const auto& c : cases) {
    const std::optional<PlotCursor> cursor = s.cursor(c.at, regional);
    ASSERT_TRUE(cursor);
    EXPECT_EQ(cursor->record, c.record);
    if (c.text != nullptr) {
      EXPECT_EQ(cursor->text, c.text);
    }
  }
  s.zoomTo(kStart + 2, kStart + 8);  // no record in view
  EXPECT_FALSE(s.cursor(kStart + 5, regional));
}

TEST(PlotSession, CursorValuesKeepEveryWholeDigit) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {48143, "48143"},  // a totalizer, which the screens' rule shows as 48140
      {-48143, "-48143"}, {1234.6, "1235"}, {2147483647, "2147483647"}, {999.84, "999.8"},
      {5.25, "5.250"},    {-0.5, "-0.500"}, {std::nan(""), "-"},
  };
  for (const auto& c : cases) EXPECT_EQ(plotValueText(c.value), c.text) << c.value;
  EXPECT_EQ(plotValueText(999.84, ","), "999,8");
  EXPECT_EQ(plotValueText(48143, ","), "48143");
}

TEST(PlotSession, ImageTitleNamesTheFileAndTheDatesShown) {
  RegionalSettings regional;
  PlotSession s;
  s.setData(series({1, 2, 3, 4, 5}, {kStart, kStart + 10, kStart + 20, kStart + 30, kStart + 40}));
  EXPECT_EQ(plotImageTitle("/data/logs/m.log", s, regional, kEnglish),
            "m.log, 05/03/2024 10:00:00 to 05/03/2024 10:00:40");
  EXPECT_EQ(plotImageTitle("m.log", s, regional, kFrench),
            "m.log, du 05/03/2024 10:00:00 au 05/03/2024 10:00:40");
  s.zoomTo(kStart + 5, kStart + 25);  // the records in view, not the view's edges
  EXPECT_EQ(plotImageTitle("m.log", s, regional, kEnglish),
            "m.log, 05/03/2024 10:00:10 to 05/03/2024 10:00:20");
  s.zoomTo(kStart + 12, kStart + 18);  // none in view
  EXPECT_EQ(plotImageTitle("m.log", s, regional, kEnglish), "m.log");
  PlotSession one;
  one.setData(series({7}));
  EXPECT_EQ(plotImageTitle("m.mes", one, regional, kEnglish), "m.mes, 05/03/2024 10:00:00");
}

TEST(PlotSession, DateRangeOfTheCommandLine) {
  const struct Case {
    const char* from;
    const char* to;
    std::size_t kept;
  } cases[] = {
      {nullptr, nullptr, 5},
      {"2024-03-05 10:00:02", nullptr, 3},
      {nullptr, "2024-03-05T10:00:01", 2},
      {"2024-03-05 10:00:01", "2024-03-05 10:00:03", 3},
      {"2024-03-06", nullptr, 0},
      {"2024-03-05", "2024-03-05 23:59", 5},
  };
  for (const Case& c : cases) {
    PlotSession s;
    s.setData(series({1, 2, 3, 4, 5}));
    s.setShown(0, false);
    std::optional<double> from, to;
    if (c.from) from = parsePlotDate(c.from);
    if (c.to) to = parsePlotDate(c.to);
    s.restrictTo(from, to);
    EXPECT_EQ(s.datedRecords(), c.kept) << (c.from ? c.from : "-") << " " << (c.to ? c.to : "-");
    EXPECT_FALSE(s.shown(0));  // the choice survives the range
  }
  for (const char* bad : {"", "2024-3-5", "2024-02-30", "2024-03-05 25:00", "2024-03-05 10",
                          "2024-03-05 10:00:00x", "yesterday"}) {
    EXPECT_FALSE(parsePlotDate(bad)) << bad;
  }
  EXPECT_EQ(parsePlotDate("2024-03-05 10:00"), kStart);
}

}  // namespace
}  // namespace flowdesk
