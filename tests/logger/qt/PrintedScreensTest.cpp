// SPDX-License-Identifier: GPL-3.0-or-later
// The two screens wider than a printed page, the logger viewer and the plot
// window, printed on an A4 sheet at 300 dpi: each lands on the page whole,
// framed on all four sides, with its shape kept. The pages are written to
// FLOWDESK_SCREENSHOT_DIR when it is set.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QTest>
#include <bit>
#include <cstdlib>
#include <memory>
#include <string>

#include "base/BilingualText.h"
#include "base/qt/WindowPrinter.h"
#include "files/qt/PlotDialog.h"
#include "link/AppContext.h"
#include "logger/LoggerFile.h"
#include "logger/LoggerPlot.h"
#include "logger/qt/LoggerViewerDialog.h"
#include "support/FakeUserInterface.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::FakeUserInterface;
using testing::TempDir;

constexpr int kDpi = 300;

// The printable area of an A4 sheet with the usual margins, as a printer
// driver gives it, in a page image standing in for the printer. The image
// belongs to the test: the job ends the target.
QImage a4Page() {
  const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(6.35, 6.35, 6.35, 6.35), QPageLayout::Millimeter);
  return QImage(a4.paintRectPixels(kDpi).size(), QImage::Format_RGB32);
}

class PageTarget : public PrintTarget {
 public:
  explicit PageTarget(QImage& page) : page_(page) {}
  bool begin(const QString&, int) override {
    page_.fill(Qt::white);
    return painter_.begin(&page_);
  }
  QPainter& painter() override { return painter_; }
  QSize pageSize() const override { return page_.size(); }
  int dpiX() const override { return kDpi; }
  int dpiY() const override { return kDpi; }
  void end() override {
    if (painter_.isActive()) painter_.end();
  }

 private:
  QImage& page_;
  QPainter painter_;
};

// 600 records a minute apart from 2024-03-05 00:00: a climbing flow, V (m/s)
// and the totalizer Tot1.
std::string writeLog(const TempDir& dir) {
  const std::string path = dir.file("m.log");
  EXPECT_TRUE(createLoggerFile(path, kLoggerRecordSize4).ok());
  const auto put = [](Bytes& r, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) r[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
  };
  Bytes data;
  for (int k = 0; k < 600; ++k) {
    Bytes r(kLoggerRecordSize4, 0);
    r[1] = 0x40 | 3;
    r[2] = 24;
    r[3] = 5;
    r[4] = static_cast<std::uint8_t>(k / 60);
    r[5] = static_cast<std::uint8_t>(k % 60);
    put(r, 8, std::bit_cast<std::uint32_t>(static_cast<float>(40 + (k % 90) / 3.0)));
    r[13] = 8;
    put(r, 14, std::bit_cast<std::uint32_t>(static_cast<float>(1.2 + (k % 50) / 100.0)));
    r[19] = 1;
    put(r, 20, static_cast<std::uint32_t>(48000 + k));
    r[24] = 0x80 | 50;
    r[25] = 0xC0 | 20;
    data.insert(data.end(), r.begin(), r.end());
  }
  int written = 0;
  EXPECT_TRUE(appendLoggerRecords(path, 1, kLoggerRecordSize4, data, 600, written).ok());
  return path;
}

// The frame's outer box on the page: the first and last dark pixels of the
// middle row and column, the page being white around the printout.
struct Box {
  int left = -1, right = -1, top = -1, bottom = -1;
};
Box frameOf(const QImage& page, int row, int column) {
  const auto dark = [&page](int x, int y) { return qGray(page.pixel(x, y)) < 64; };
  Box b;
  for (int x = 0; x < page.width() && b.left < 0; ++x) b.left = dark(x, row) ? x : -1;
  for (int x = page.width() - 1; x >= 0 && b.right < 0; --x) b.right = dark(x, row) ? x : -1;
  for (int y = page.height() / 8; y < page.height() && b.top < 0; ++y)
    b.top = dark(column, y) ? y : -1;
  for (int y = page.height() - 1; y >= 0 && b.bottom < 0; --y) b.bottom = dark(column, y) ? y : -1;
  return b;
}

// Runs the screen's PRINT onto an A4 page and checks the page.
template <typename PrintingScreen>
void expectWholeOnThePage(PrintingScreen& screen, const char* picture) {
  SCOPED_TRACE(picture);
  QImage page = a4Page();
  PrintEnvironment env;
  env.internalName = "flowdesk";
  env.showProgress = false;
  env.now = [] { return QDateTime(QDate(2024, 3, 5), QTime(10, 30, 0)); };
  bool printed = false;
  env.openPrinter = [&page, &printed]() -> std::unique_ptr<PrintTarget> {
    printed = true;
    return std::make_unique<PageTarget>(page);
  };
  setPrintEnvironment(env);
  screen.print();
  setPrintEnvironment({});
  ASSERT_TRUE(printed);

  // Framed on all four sides within the paper: nothing of the screen is
  // cut, where enlarged to 300 dpi it would be wider than the page.
  ASSERT_GT(screen.width() * kDpi / screen.logicalDpiX(), page.width());
  const Box frame = frameOf(page, page.height() / 2, page.width() / 2);
  ASSERT_GE(frame.left, 0);
  EXPECT_GT(frame.top, page.height() / 8);
  EXPECT_LT(frame.bottom, page.height() - 1);
  for (int k = 0; k < 4; ++k) {
    const int y = (frame.top + frame.bottom) / 2;
    EXPECT_LT(qGray(page.pixel(frame.left + k, y)), 64) << k;
    EXPECT_LT(qGray(page.pixel(frame.right - k, y)), 64) << k;
  }
  // The screen's shape, within a pixel of rounding: a picture cut at the
  // page's sides would be measured as wide as the page and no wider.
  const double shape = double(frame.right - frame.left - 7) / (frame.bottom - frame.top - 7);
  EXPECT_NEAR(shape, double(screen.width()) / screen.height(), 0.005);

  if (const char* folder = std::getenv("FLOWDESK_SCREENSHOT_DIR")) {
    // Half the printer's resolution is plenty to read the page on screen.
    page.scaledToWidth(page.width() / 2, Qt::SmoothTransformation)
        .save(QDir(QString::fromLocal8Bit(folder)).filePath(QString::fromLatin1(picture)));
  }
}

TEST(PrintedScreens, TheLoggerViewerAndThePlotFitTheirPageWhole) {
  TempDir dir;
  const std::string path = writeLog(dir);
  FakeUserInterface fake;
  AppContext context;
  context.settings.Language = languageIndex(kEnglish);

  LoggerViewerDialog viewer(context);
  ASSERT_TRUE(viewer.open(ScreenSource::file(path)));
  viewer.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
  expectWholeOnThePage(viewer, "print_logger_viewer_en.png");

  PlotDialog plot(context, std::make_unique<LoggerPlotSource>());
  ASSERT_TRUE(plot.open(ScreenSource::file(path)));
  plot.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&plot));
  expectWholeOnThePage(plot, "print_plot_en.png");
  EXPECT_TRUE(fake.messages.empty());
}

}  // namespace
}  // namespace flowdesk
