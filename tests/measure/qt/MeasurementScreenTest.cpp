// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement screen and the conversion screen offscreen, with the fake
// user interface: what the widgets show of the session, the trend graph as
// painted, playback navigation and the conversion from a played-back file
// (the live screen is in MeasurementScreenEndToEndTest.cpp).
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QScrollBar>
#include <QTableWidget>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "base/qt/PictureButton.h"
#include "base/qt/ProgramLauncher.h"
#include "base/qt/WindowPrinter.h"
#include "base/qt/core/SystemRegionalSettings.h"
#include "files/qt/ConvertFileDialog.h"
#include "link/AppContext.h"
#include "measure/MeasurementConversion.h"
#include "measure/MeasurementFrames.h"
#include "measure/qt/MeasurementDialog.h"
#include "measure/qt/TrendGraphView.h"
#include "support/BoundControls.h"
#include "support/FakePrinter.h"
#include "support/FakeUserInterface.h"
#include "support/ScreenProbes.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using B = MeasurementButton;
using testing::BlockData;
using testing::FakeUserInterface;
using testing::TempDir;

using testing::labelText;
using testing::waitFor;

std::string shownButtons(const MeasurementDialog& d) {
  return testing::shownButtons<MeasurementButton>(d, kMeasurementButtons);
}

// A measurement file of `records` records of a 2-chord unit whose flow is
// the record's number, with a 0 to 120 m3/h trend scale.
void writeMeasurementFile(const std::string& path, int records) {
  IdentificationCache identification;
  for (int i = 0; i < records; ++i) {
    BlockData b;
    b.chords(2);
    b.s1[18] = 4;                                        // m3/h
    b.s2 = {0, 0, 0, 0, 0x04, 0xB0};                     // 0 and 1200 tenths
    BlockData::f32(b.m1, 2, static_cast<float>(i + 1));  // flow
    b.clock({3, 24, 10, 15, 0, static_cast<std::uint8_t>(i)});
    b.chord(0, 100.5f, 1.5f, 40, 1.25f, 1480.0f);
    b.chord(1, 101.5f, 2.5f, 41, 1.5f, 1481.0f);
    const MeasurementRecord r = b.record();
    const FileResult written =
        i == 0 ? startMeasurementFile(path, identification, r) : appendMeasurementRecord(path, r);
    ASSERT_TRUE(written.ok()) << written.message();
  }
}

TEST(MeasurementScreen, EveryControlTheConversionWritesIsInItsUiFile) {
  AppContext context;
  ConvertFileDialog convert(context,
                            std::make_unique<MeasurementConversionSource>(RegionalSettings{}));
  EXPECT_TRUE(testing::boundControlsInUi(convert.bindings(), "src/files/qt/ConvertFileDialog.ui"));
}

// The graph painted from its primitives on an image the size of a
// 279-pixel frame: 20 bands of 6 pixels (grid bottom 120), columns of 2
// pixels (grid right 200). Row 63 lies between two grid lines and is where
// a sample of 19 is drawn; rows 0 and 120 are the top and bottom edges.
TEST(MeasurementScreen, TrendGraphIsPaintedAsLaidOut) {
  constexpr int kWidth = 279, kHeight = 121;
  const struct {
    const char* name;
    std::vector<float> samples;  // the rest are the last one
    int traceRow;                // -1: no trace at all
  } cases[] = {
      {"all zero", {0}, -1},
      {"19 after a zero", {0, 19}, 63},
      {"50 at the top edge", {0, 19, 50}, 0},
      {"-5 at the bottom edge", {0, 19, -5}, 120},
  };
  const QFont font = trendLabelFont();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::array<float, MeasurementRegion::kTrendSamples> samples{};
    for (std::size_t i = 0; i < samples.size(); ++i) {
      samples[i] = c.samples[std::min(i, c.samples.size() - 1)];
    }
    const TrendInput input{samples, 0, 120, "m3/h"};
    TrendGraph g = trendGraph(samples, {0, 0, kWidth, kHeight},
                              trendOptions(input, QFontMetrics(font).ascent()));
    // Only the trace, so that the frame and grid cannot stand in for it.
    g.gridLines.clear();
    g.labels.clear();
    g.frame = {-10, -10, -10, -10};
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintTrendGraph(painter, g, font);
    painter.end();

    EXPECT_EQ(image.pixelColor(250, 30), QColor(192, 192, 192));
    int black = 0, blackBeyondGrid = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        if (image.pixelColor(x, y) != Qt::black) continue;
        ++black;
        if (x > 201) ++blackBeyondGrid;
      }
    }
    EXPECT_EQ(blackBeyondGrid, 0);  // 100 columns of 2 pixels: 200 pixels used
    if (c.traceRow < 0) {
      EXPECT_TRUE(g.trace.empty());
      EXPECT_EQ(black, 0);
      continue;
    }
    for (int x : {10, 100, 190}) {
      EXPECT_EQ(image.pixelColor(x, c.traceRow), Qt::black) << x;
    }
  }
}

TEST(MeasurementScreen, TrendViewLabelsTheScaleAndPaintsGridFrameAndLabels) {
  TrendGraphView view;
  view.resize(279, 121);
  EXPECT_TRUE(view.grab().toImage().pixelColor(100, 60) != QColor(192, 192, 192));  // nothing yet
  std::array<float, MeasurementRegion::kTrendSamples> zeros{};
  view.setInput({zeros, 0, 120, "m3/h"});
  const TrendGraph g = view.layout();
  ASSERT_EQ(g.labels.size(), 2u);
  EXPECT_EQ(g.labels[0].text, " +120.0m3/h ");
  EXPECT_EQ(g.labels[1].text, " +0.0m3/h ");
  const int ascent = QFontMetrics(trendLabelFont()).ascent();
  EXPECT_GE(g.labels[0].baseline, ascent);  // the top label stays inside the frame

  const QImage image = view.grab().toImage();
  EXPECT_EQ(image.pixelColor(250, 30), QColor(192, 192, 192));
  EXPECT_EQ(image.pixelColor(100, 6), Qt::black);    // first grid line
  EXPECT_EQ(image.pixelColor(200, 30), Qt::black);   // frame, right
  EXPECT_EQ(image.pixelColor(150, 120), Qt::black);  // frame, bottom
  for (const TrendLabel& label : g.labels) {
    int ink = 0;
    for (int y = label.baseline - ascent; y < label.baseline; ++y) {
      for (int x = label.x; x < label.x + 60; ++x) {
        if (y >= 0 && image.pixelColor(x, y).lightness() < 96) ++ink;  // smoothed text
      }
    }
    EXPECT_GT(ink, 20) << label.text;
  }
}

TEST(MeasurementScreen, PlaybackShowsRecordsAndItsNavigationButtons) {
  TempDir dir;
  const std::string path = dir.file("played.mes");
  writeMeasurementFile(path, 5);
  const std::string one = dir.file("one.mes");
  writeMeasurementFile(one, 1);
  FakeUserInterface ui;

  // Buttons: SAVEDISK ARRETDISK PGD PGU PRINT HOME END TABLEUR.
  const struct {
    const char* file;
    std::vector<B> presses;
    const char* shown;
    const char* status;
    const char* flow;
  } cases[] = {
      {"one.mes", {}, "00001001", "Total Records=1  Record N°=1", "1.000"},
      {"one.mes", {B::kPgd, B::kEnd}, "00001001", "Total Records=1  Record N°=1", "1.000"},
      {"played.mes", {}, "00101011", "Total Records=5  Record N°=1", "1.000"},
      {"played.mes", {B::kPgd}, "00111111", "Total Records=5  Record N°=2", "2.000"},
      {"played.mes", {B::kEnd}, "00011101", "Total Records=5  Record N°=5", "5.000"},
      {"played.mes", {B::kEnd, B::kPgd}, "00011101", "Total Records=5  Record N°=5", "5.000"},
      {"played.mes",
       {B::kEnd, B::kPgu, B::kPgu},
       "00111111",
       "Total Records=5  Record N°=3",
       "3.000"},
      {"played.mes", {B::kEnd, B::kHome}, "00101011", "Total Records=5  Record N°=1", "1.000"},
      {"played.mes", {B::kHome, B::kPgu}, "00101011", "Total Records=5  Record N°=1", "1.000"},
  };
  for (const auto& c : cases) {
    AppContext context;
    context.settings.Language = languageIndex(kEnglish);
    MeasurementDialog d(context);
    ASSERT_TRUE(d.open(ScreenSource::file(dir.file(c.file))));
    EXPECT_EQ(labelText(d, "labelTopLine").toStdString(), dir.file(c.file));
    ASSERT_TRUE(waitFor([&] { return d.session().timerMs() == kTimerStopped; }, 2000));
    for (B press : c.presses) {
      d.button(press)->click();
      ASSERT_TRUE(waitFor([&] { return d.session().timerMs() == kTimerStopped; }, 2000));
    }
    std::string presses;
    for (B press : c.presses) presses += " " + std::to_string(static_cast<int>(press));
    SCOPED_TRACE(std::string(c.file) + presses);
    EXPECT_EQ(shownButtons(d), c.shown);
    EXPECT_EQ(labelText(d, "labelSecondLine"), QString::fromUtf8(c.status));
    EXPECT_EQ(labelText(d, "valueFlow"), c.flow);
    EXPECT_EQ(labelText(d, "valueFlowUnit"), "m3/h");
    auto* table = d.findChild<QTableWidget*>("tableChords");
    ASSERT_EQ(table->columnCount(), 3);
    EXPECT_EQ(table->item(0, 2)->text(), "Chord2");
    EXPECT_EQ(table->item(1, 0)->text(), QString::fromUtf8("T (µs)"));
    EXPECT_EQ(table->item(1, 1)->text(), "100.5");
    EXPECT_EQ(table->item(3, 2)->text(), "41");
    EXPECT_EQ(table->item(1, 0)->textAlignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(table->item(1, 1)->textAlignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_TRUE(d.findChild<TrendGraphView*>("trendGraph")->hasInput());
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST(MeasurementScreen, TheWindowFollowsTheChordGridAndKeepsValuesBesideTheirLabels) {
  // Records of one, six, then one chord again; the six-chord unit has
  // calorimetry (its status does not set "no calorimetry", bit 7).
  TempDir dir;
  const std::string path = dir.file("chords.mes");
  IdentificationCache identification;
  const struct {
    int chords;
    unsigned status;
  } records[] = {{1, 0x80}, {6, 0x0001}, {1, 0x80}};
  for (std::size_t i = 0; i < std::size(records); ++i) {
    BlockData b;
    b.chords(records[i].chords);
    b.status(records[i].status);
    b.clock({3, 24, 10, 15, 0, static_cast<std::uint8_t>(i)});
    for (int k = 0; k < records[i].chords; ++k) b.chord(k, 100.5f, 1.5f, 40, 1.25f, 1480.0f);
    const FileResult written = i == 0 ? startMeasurementFile(path, identification, b.record())
                                      : appendMeasurementRecord(path, b.record());
    ASSERT_TRUE(written.ok());
  }
  AppContext context;
  context.settings.Language = languageIndex(kEnglish);
  MeasurementDialog d(context);
  ASSERT_TRUE(d.open(ScreenSource::file(path)));
  d.show();
  auto* table = d.findChild<QTableWidget*>("tableChords");
  const auto gap = [&d] {
    return d.findChild<QLabel*>("valueFlow")->geometry().left() -
           d.findChild<QLabel*>("labelFlow")->geometry().right();
  };
  int widthAtSix = 0;
  for (std::size_t i = 0; i < std::size(records); ++i) {
    SCOPED_TRACE(i);
    if (i > 0) d.button(B::kPgd)->click();
    ASSERT_TRUE(waitFor([&] { return table->columnCount() == records[i].chords + 1; }, 2000));
    QApplication::processEvents();
    EXPECT_EQ(table->horizontalScrollBar()->maximum(), 0) << "every chord in view";
    EXPECT_EQ(table->verticalScrollBar()->maximum(), 0) << "every row in view";
    EXPECT_LE(d.width(), 1280);
    EXPECT_EQ(d.findChild<QWidget*>("groupCalorie")->isVisible(), records[i].status == 1);
    if (records[i].chords != 6) continue;
    widthAtSix = d.width();
    // The grid makes the window wide; the upper box keeps each value next
    // to its label all the same, and still when widened by hand.
    const int near = d.fontMetrics().horizontalAdvance(QStringLiteral("00000"));
    EXPECT_LE(gap(), near);
    d.resize(1600, d.height());
    QApplication::processEvents();
    EXPECT_LE(gap(), near) << "widened";
  }
  EXPECT_LT(d.width(), widthAtSix) << "one chord gives the room back";
}

TEST(MeasurementScreen, PrintHidesTheButtonsForThePictureOnly) {
  TempDir dir;
  const std::string path = dir.file("p.mes");
  writeMeasurementFile(path, 5);
  AppContext context;
  context.settings.Language = languageIndex(kEnglish);
  MeasurementDialog d(context);
  ASSERT_TRUE(d.open(ScreenSource::file(path)));
  ASSERT_TRUE(waitFor([&] { return d.session().timerMs() == kTimerStopped; }, 2000));
  d.button(B::kPgd)->click();
  ASSERT_TRUE(waitFor([&] { return d.session().timerMs() == kTimerStopped; }, 2000));

  const PrintEnvironment saved = printEnvironment();
  std::vector<std::string> seen;
  QStringList errors;
  PrintEnvironment environment = saved;
  environment.showProgress = false;
  environment.showError = [&](QWidget*, const QString& m) { errors << m; };
  // A printer that notes what the job saw and refuses to start it.
  testing::PrintJob job;
  job.refuseStart = true;
  job.onBegin = [&](const QString& name) {
    seen.push_back(name.toStdString() + " " + shownButtons(d));
  };
  environment.openPrinter = [&] { return testing::printerFor(job); };
  setPrintEnvironment(environment);
  d.button(B::kPrint)->click();
  setPrintEnvironment(saved);

  EXPECT_EQ(seen, std::vector<std::string>{"Measurement 00000000"});
  EXPECT_EQ(shownButtons(d), "00111111");
  EXPECT_EQ(labelText(d, "labelSecondLine"),
            printOutcomeNote(PrintOutcome::kCannotStart, kEnglish));
}

// The note of a print that did not happen stays until one works, and is
// never on the paper.
TEST(MeasurementScreen, PrinterNoteLastsUntilAPrintWorks) {
  TempDir dir;
  const std::string path = dir.file("p.mes");
  writeMeasurementFile(path, 5);
  AppContext context;
  context.settings.Language = languageIndex(kFrench);
  MeasurementDialog d(context);
  ASSERT_TRUE(d.open(ScreenSource::file(path)));
  ASSERT_TRUE(waitFor([&] { return d.session().timerMs() == kTimerStopped; }, 2000));
  const QString counts = labelText(d, "labelSecondLine");
  const QString note = printOutcomeNote(PrintOutcome::kNoDefaultPrinter, kFrench);
  ASSERT_FALSE(counts.isEmpty());

  const PrintEnvironment saved = printEnvironment();
  PrintEnvironment environment = saved;
  environment.showProgress = false;
  // whether a printer is there, print after print
  const bool there[] = {false, false, true, true, false, true};
  std::size_t printed = 0;
  QStringList onPaper;
  // The page notes what the screen's second line said when the job started,
  // after the picture was taken.
  testing::PrintJob job{QImage(850, 1100, QImage::Format_RGB32), 100};
  job.onBegin = [&](const QString&) {
    ++printed;
    onPaper << labelText(d, "labelSecondLine");
  };
  for (const bool printer : there) {
    environment.openPrinter = [&]() -> std::unique_ptr<PrintTarget> {
      if (!printer) return nullptr;
      return testing::printerFor(job);
    };
    setPrintEnvironment(environment);
    d.button(B::kPrint)->click();
    EXPECT_EQ(labelText(d, "labelSecondLine"), printer ? counts : note) << printed;
  }
  setPrintEnvironment(saved);
  EXPECT_EQ(printed, 3u);
  EXPECT_EQ(onPaper, (QStringList{counts, counts, counts}));
}

TEST(MeasurementScreen, UnreadablePlaybackIsReportedAndNotRun) {
  TempDir dir;
  const std::string path = dir.file("short.mes");
  testing::putFile(path, {1, 2, 3});
  FakeUserInterface ui;
  AppContext context;
  context.settings.Language = languageIndex(kEnglish);
  MeasurementDialog d(context);
  EXPECT_FALSE(d.open(ScreenSource::file(path)));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].icon, UserInterface::Icon::kCritical);
  EXPECT_TRUE(ui.messages[0].text.contains("short.mes")) << ui.messages[0].text.toStdString();
}

struct Conversion {
  TempDir dir;
  AppContext context;
  FakeUserInterface ui;
  std::vector<QStringList> started;
  ProgramStarter previous;
  const std::string path = dir.file("x.mes");
  explicit Conversion(int records) {
    context.settings.Language = languageIndex(kEnglish);
    context.settings.LastPathPrnFileName = dir.path() + "/";
    writeMeasurementFile(path, records);
    previous = setProgramStarter([this](const QString& program, const QString& file) {
      started.push_back({program, file});
      return program.endsWith("calc");
    });
  }
  ~Conversion() { setProgramStarter(previous); }
};

TEST(MeasurementScreen, ConversionWritesTheTextThenStartsTheSpreadsheet) {
  const struct {
    const char* program;
    bool closes;
  } cases[] = {{"", false}, {"/usr/bin/calc", true}, {"/usr/bin/broken", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program);
    Conversion t(10);
    t.context.settings.LastFileSpName = c.program;
    ConvertFileDialog screen(t.context,
                             std::make_unique<MeasurementConversionSource>(RegionalSettings{}));
    const std::string out = t.dir.file("out.prn");
    t.ui.files.push_back(QString::fromStdString(out));
    ASSERT_TRUE(screen.open(ScreenSource::file(t.path)));
    ASSERT_EQ(t.ui.fileRequests.size(), 1u);
    EXPECT_EQ(t.ui.fileRequests[0].folder.toStdString(), t.dir.file("xmes.prn"));
    EXPECT_EQ(t.ui.fileRequests[0].filters, QStringList{"File Out (*.prn)"});
    // The screen's timer runs the conversion. A close asked while it ran
    // comes from the event loop afterwards, so that one is waited for too:
    // a busy machine may end the loop's turn before it.
    ASSERT_TRUE(waitFor(
        [&] {
          return std::filesystem::exists(out) && !screen.running() &&
                 !screen.findChild<QLabel*>("valueTotalRecord")->text().isEmpty() &&
                 (!c.closes || screen.result() == QDialog::Accepted);
        },
        3000));
    std::ifstream file(out);
    int lines = 0;
    for (std::string line; std::getline(file, line);) ++lines;
    EXPECT_EQ(lines, 11);
    EXPECT_EQ(labelText(screen, "valueTotalRecord"), "10");
    EXPECT_EQ(labelText(screen, "valueCurrentRecord"), "10");
    EXPECT_EQ(labelText(screen, "valueFileOut").toStdString(), out);
    EXPECT_EQ(labelText(screen, "labelTotalRecord"), "Total Record");
    auto* bar = screen.findChild<QProgressBar*>("progressBar");
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(screen.result() == QDialog::Accepted, c.closes);
    EXPECT_EQ(t.context.settings.LastPathPrnFileName, t.dir.path() + "/");
    if (std::string(c.program).empty()) {
      EXPECT_TRUE(t.started.empty());
    } else {
      ASSERT_EQ(t.started.size(), 1u);
      EXPECT_EQ(t.started[0], (QStringList{c.program, QString::fromStdString(out)}));
    }
    EXPECT_TRUE(t.ui.messages.empty());
  }
}

TEST(MeasurementScreen, TableurOpensTheConversionAndACancelWritesNothing) {
  Conversion t(2);
  MeasurementDialog d(t.context);
  ASSERT_TRUE(d.open(ScreenSource::file(t.path)));
  ASSERT_TRUE(waitFor([&] { return d.session().timerMs() == kTimerStopped; }, 2000));
  d.button(B::kTableur)->click();  // the save dialog is cancelled
  EXPECT_EQ(t.ui.fileRequests.size(), 1u);
  EXPECT_TRUE(t.ui.dialogsRun.empty());
  EXPECT_EQ(t.dir.entries(), std::vector<std::string>{"x.mes"});

  t.ui.files.push_back(QString::fromStdString(t.dir.file("y.prn")));
  t.ui.dialogRunner = [](QDialog& screen) {
    return waitFor([&] { return screen.findChild<QLabel*>("valueTotalRecord")->text() == "2"; },
                   3000)
               ? QDialog::Accepted
               : QDialog::Rejected;
  };
  d.button(B::kTableur)->click();
  EXPECT_EQ(t.ui.dialogsRun, std::vector<QString>{"ConvertFileDialog"});
}

}  // namespace
}  // namespace flowdesk
