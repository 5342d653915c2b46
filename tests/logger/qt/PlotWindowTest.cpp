// SPDX-License-Identifier: GPL-3.0-or-later
// The plot window on a logger file: opened from the file with its series
// listed and drawn, a series unticked leaves the chart, the wheel zooms, the
// export writes PNG and SVG files titled with the file and its dates, the
// time axis keeps the date however far it is zoomed, GRAPH on the viewer
// opens it, and a file without dated records is refused with a word.
#include <gtest/gtest.h>

#include <QApplication>
#include <QChart>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <bit>
#include <regex>
#include <string>

#include "base/BilingualText.h"
#include "base/qt/core/SystemRegionalSettings.h"
#include "files/qt/PlotChart.h"
#include "files/qt/PlotDialog.h"
#include "link/AppContext.h"
#include "logger/LoggerFile.h"
#include "logger/LoggerPlot.h"
#include "logger/qt/LoggerViewerDialog.h"
#include "support/BoundControls.h"
#include "support/FakeUserInterface.h"
#include "support/NumberFields.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::FakeUserInterface;
using testing::TempDir;

// `count` 31-byte records a minute apart from 2024-03-05 00:00, a flow that
// climbs and a V (m/s) slot.
std::string writeLog(const TempDir& dir, int count, bool empty = false) {
  const std::string path = dir.file("m.log");
  EXPECT_TRUE(createLoggerFile(path, kLoggerRecordSize4).ok());
  Bytes data;
  for (int k = 0; k < count; ++k) {
    Bytes r(kLoggerRecordSize4, 0);
    r[1] = 0x40 | 3;
    r[2] = 24;
    r[3] = empty ? 0 : 5;  // day 0 is no date
    r[4] = static_cast<std::uint8_t>(k / 60);
    r[5] = static_cast<std::uint8_t>(k % 60);
    const auto flow = std::bit_cast<std::uint32_t>(static_cast<float>(k));
    for (int i = 0; i < 4; ++i) r[8 + i] = static_cast<std::uint8_t>(flow >> (24 - 8 * i));
    r[13] = 8;
    r[19] = 0xC0 | 20;  // status slots: no series
    r[25] = 0xC0 | 20;
    data.insert(data.end(), r.begin(), r.end());
  }
  int written = 0;
  EXPECT_TRUE(appendLoggerRecords(path, 1, kLoggerRecordSize4, data, count, written).ok());
  return path;
}

int visibleLines(QChart* chart, const QString& name) {
  int n = 0;
  for (QAbstractSeries* s : chart->series()) {
    auto* line = static_cast<QLineSeries*>(s);
    if (line->isVisible() && line->count() > 0 && line->name() == name) ++n;
  }
  return n;
}

TEST(PlotWindow, OpensOnALoggerFileAndExports) {
  EXPECT_TRUE(
      testing::boundControlsInUi(PlotDialog::boundControls(), "src/files/qt/PlotDialog.ui"));
  TempDir dir;
  const std::string path = writeLog(dir, 600);
  FakeUserInterface fake;
  AppContext context;
  context.settings.Language = languageIndex(kEnglish);
  PlotDialog dialog(context, std::make_unique<LoggerPlotSource>());
  ASSERT_TRUE(dialog.open(ScreenSource::file(path)));
  dialog.resize(1000, 600);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

  auto* list = dialog.findChild<QListWidget*>("listSeries");
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(0)->text(), "Average flow (m3/h)");
  EXPECT_EQ(list->item(1)->text(), "V (m/s)");
  EXPECT_EQ(visibleLines(dialog.chart(), "Average flow"), 1);
  EXPECT_EQ(visibleLines(dialog.chart(), "V"), 1);

  list->item(1)->setCheckState(Qt::Unchecked);
  EXPECT_FALSE(dialog.session().shown(1));
  EXPECT_EQ(visibleLines(dialog.chart(), "V"), 0);

  const PlotRange whole = dialog.session().whole();
  dialog.zoom(whole.from, 0.5);
  EXPECT_TRUE(dialog.session().zoomed());
  dialog.wholeView();
  EXPECT_FALSE(dialog.session().zoomed());

  const struct {
    const char* chosen;
    const char* written;
    const char* head;
  } exports[] = {{"p.png", "p.png", "\x89PNG"},
                 {"p.svg", "p.svg", "<?xml"},
                 {"noext", "noext.png", "\x89PNG"}};
  for (const auto& e : exports) {
    fake.files.push_back(QString::fromStdString(dir.file(e.chosen)));
    dialog.exportImage();
    const Bytes bytes = testing::fileBytes(dir.file(e.written));
    ASSERT_GT(bytes.size(), 100u) << e.written;
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), std::string(e.head, 4)) << e.written;
  }
  EXPECT_FALSE(dialog.exportTo(dir.file("missing/x.png")));
  EXPECT_EQ(fake.messages.size(), 1u);

  // Zoomed to an hour, an export still names its file and its dates.
  dialog.zoomTo(whole.from + 3600, whole.from + 7200);
  ASSERT_TRUE(dialog.exportTo(dir.file("zoom.svg")));
  const Bytes bytes = testing::fileBytes(dir.file("zoom.svg"));
  const std::string svg(bytes.begin(), bytes.end());
  const RegionalSettings regional = systemRegionalSettings();
  const std::string title = "m.log, " + plotTimeText(whole.from + 3600, regional) + " to " +
                            plotTimeText(whole.from + 7200, regional);
  EXPECT_NE(svg.find("<title>" + title + "</title>"), std::string::npos) << title;

  // On a French desktop the axes write their decimals with a comma.
  const testing::DesktopLocale french("fr_FR");
  PlotDialog local(context, std::make_unique<LoggerPlotSource>());
  ASSERT_TRUE(local.open(ScreenSource::file(path)));
  local.resize(1000, 600);
  local.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&local));
  ASSERT_TRUE(local.exportTo(dir.file("fr.svg")));
  const Bytes frBytes = testing::fileBytes(dir.file("fr.svg"));
  const std::string frSvg(frBytes.begin(), frBytes.end());
  EXPECT_TRUE(std::regex_search(frSvg, std::regex(">-?[0-9]+,[0-9]+<")));
  EXPECT_FALSE(std::regex_search(frSvg, std::regex(">-?[0-9]+\\.[0-9]+<")));
}

TEST(PlotWindow, TheTimeAxisKeepsTheDateWhenZoomedWithinADay) {
  RegionalSettings dayFirst;
  RegionalSettings yearFirst12;
  yearFirst12.dateOrder = RegionalSettings::kYearFirst;
  yearFirst12.dateSeparator = "-";
  yearFirst12.timeSeparator = ".";
  yearFirst12.clock24 = false;
  const struct {
    const RegionalSettings& regional;
    double span;
    const char* format;
  } cases[] = {
      {dayFirst, 30 * 86400.0, "dd/MM/yyyy HH:mm"},
      {dayFirst, 3600, "dd/MM/yyyy HH:mm:ss"},
      {dayFirst, 10, "dd/MM/yyyy HH:mm:ss"},
      {yearFirst12, 600, "yyyy-MM-dd hh.mm.ss AP"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(plotTimeFormat(c.regional, c.span).toStdString(), c.format) << c.span;
  }
}

TEST(PlotWindow, GraphOnTheViewerAndFilesWithoutDates) {
  TempDir dir;
  const std::string path = writeLog(dir, 30);
  FakeUserInterface fake;
  AppContext context;
  LoggerViewerDialog viewer(context);
  ASSERT_TRUE(viewer.open(ScreenSource::file(path)));
  ASSERT_FALSE(viewer.picture(PictureRole::kGraph)->isHidden());
  viewer.graph();
  EXPECT_EQ(fake.dialogsRun, std::vector<QString>{"PlotDialog"});

  TempDir other;
  const std::string undated = writeLog(other, 5, true);
  PlotDialog dialog(context, std::make_unique<LoggerPlotSource>());
  EXPECT_FALSE(dialog.open(ScreenSource::file(undated)));
  ASSERT_EQ(fake.messages.size(), 1u);
  EXPECT_TRUE(fake.messages[0].text.contains("m.log"));
}

TEST(PlotWindow, EscapeBringsTheWholeViewBackWhereverTheFocusIsAndNeverCloses) {
  TempDir dir;
  const std::string path = writeLog(dir, 600);
  FakeUserInterface fake;
  AppContext context;
  PlotDialog dialog(context, std::make_unique<LoggerPlotSource>());
  ASSERT_TRUE(dialog.open(ScreenSource::file(path)));
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  for (const char* focused : {"chartView", "listSeries", "buttonExport"}) {
    SCOPED_TRACE(focused);
    auto* widget = dialog.findChild<QWidget*>(focused);
    ASSERT_NE(widget, nullptr);
    widget->setFocus();
    dialog.zoom(dialog.session().whole().from, 0.5);
    ASSERT_TRUE(dialog.session().zoomed());
    QTest::keyClick(widget, Qt::Key_Escape);
    EXPECT_FALSE(dialog.session().zoomed());
    QTest::keyClick(widget, Qt::Key_Escape);  // on the whole view already
    EXPECT_TRUE(dialog.isVisible());
  }
}

}  // namespace
}  // namespace flowdesk

TEST(PlotWindow, CrowdedAxesLabelsKeepTheDecimalsTheirStepNeeds) {
  const struct {
    double span;
    int ticks;
    const char* format;
  } cases[] = {
      {760, 5, "%.0f"},   // a totalizer: whole numbers
      {3.9, 5, "%.1f"},   // a flow between 3.8 and 7.7
      {0.69, 5, "%.1f"},  // a sound velocity zoomed to under a metre a second
      {0.069, 5, "%.2f"}, {1e-9, 5, "%.6f"}, {0, 5, "%.0f"}, {5, 1, "%.0f"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(flowdesk::plotTightLabelFormat(c.span, c.ticks).toStdString(), c.format)
        << c.span << " over " << c.ticks << " ticks";
  }
}
