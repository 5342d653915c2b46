// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QWidget>
#include <memory>
#include <vector>

#include "base/qt/QtPrint.h"
#include "base/qt/WindowPrinter.h"
#include "support/FakePrinter.h"

namespace flowdesk {
namespace {

constexpr int kPageW = 2400;  // A4 printable area at 300 dpi
constexpr int kPageH = 3300;

// A screen of one colour, 400 x 300 on a 96 dpi screen.
struct Screen : QWidget {
  explicit Screen(Qt::GlobalColor colour) {
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, colour);
    setPalette(p);
    resize(400, 300);
  }
};

class WindowPrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PrintEnvironment env;
    env.internalName = "flowdesk";
    env.regional.dateOrder = RegionalSettings::kDayFirst;
    env.now = [] { return QDateTime(QDate(2004, 3, 5), QTime(13, 7, 9)); };
    env.openPrinter = [this]() -> std::unique_ptr<PrintTarget> {
      ++opened;
      if (noPrinter) return nullptr;
      return testing::printerFor(job);
    };
    env.showError = [this](QWidget*, const QString& m) { errors << m; };
    setPrintEnvironment(env);
  }
  void TearDown() override {
    finishPendingPrint();
    setPrintEnvironment({});
  }

  QRgb at(int x, int y) const { return job.page.pixel(x, y) & 0xffffff; }
  // Any dark pixel in rows [top, bottom) between columns left and right.
  bool inkIn(int left, int top, int right, int bottom) const {
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) {
        if (qGray(job.page.pixel(x, y)) < 128) return true;
      }
    }
    return false;
  }
  // The picture, its frame 4 pixels thick and nothing beyond, for a picture
  // placed at (x, y) with the worked example's size 1250 x 937.
  void expectFramedPicture(int x, int y, QRgb colour) const {
    constexpr int w = 1250, h = 937;
    const struct {
      int px, py;
      QRgb rgb;
    } probes[] = {
        {x, y, colour},
        {x + w - 1, y + h - 1, colour},
        {x - 1, y + 100, 0},
        {x - 4, y + 100, 0},
        {x - 5, y + 100, 0xffffff},
        {x + w, y + 100, 0},
        {x + w + 3, y + 100, 0},
        {x + w + 4, y + 100, 0xffffff},
        {x + 100, y - 1, 0},
        {x + 100, y - 4, 0},
        {x + 100, y - 5, 0xffffff},
        {x + 100, y + h, 0},
        {x + 100, y + h + 3, 0},
        {x + 100, y + h + 4, 0xffffff},
        {x - 4, y - 4, 0},
        {x + w + 3, y + h + 3, 0},
    };
    for (const auto& p : probes) {
      EXPECT_EQ(at(p.px, p.py), p.rgb) << p.px << "," << p.py;
    }
  }

  testing::PrintJob job{QImage(kPageW, kPageH, QImage::Format_RGB32)};
  int opened = 0;
  bool noPrinter = false;
  QStringList errors;
};

TEST_F(WindowPrinterTest, AJobOfItsOwnIsCentredFramedAndHeaded) {
  Screen screen(Qt::red);
  ASSERT_EQ(screen.logicalDpiX(), 96) << "the worked example assumes a 96 dpi screen";
  for (const int printDate : {1, 0}) {
    job.calls.clear();
    EXPECT_EQ(printWindow(&screen, "Measurement", printDate, 1, 0), PrintOutcome::kPrinted);
    EXPECT_EQ(job.calls, (QStringList{"begin Measurement 1", "end"}));
    // 2400 / 2 - 1250 / 2 and 3300 / 2 - 937 / 2
    expectFramedPicture(575, 1182, 0xff0000);
    // the program's name at y / 4, the date line at y / 2 only when asked
    EXPECT_TRUE(inkIn(575, 295, 1200, 295 + 42));
    EXPECT_EQ(inkIn(575, 591, 1200, 591 + 42), printDate == 1) << printDate;
    EXPECT_FALSE(inkIn(0, 0, kPageW, 290));
    EXPECT_FALSE(inkIn(0, 640, kPageW, 1170));
  }
  EXPECT_TRUE(errors.isEmpty());
}

TEST_F(WindowPrinterTest, TwoPartsShareOneSheet) {
  Screen first(Qt::red), second(Qt::blue);
  EXPECT_EQ(printWindow(&first, "Etal1", 1, 1, 1), PrintOutcome::kPrinted);
  EXPECT_TRUE(printJobPending());
  EXPECT_EQ(job.calls, QStringList{"begin Etal1 1"});
  EXPECT_EQ(printWindow(&second, "Etal2", 1, 1, 2), PrintOutcome::kPrinted);
  EXPECT_FALSE(printJobPending());
  EXPECT_EQ(job.calls, (QStringList{"begin Etal1 1", "end"}));
  EXPECT_EQ(opened, 1);
  expectFramedPicture(575, 412, 0xff0000);   // one eighth down
  expectFramedPicture(575, 1650, 0x0000ff);  // the middle
  // one header, the first part's: name at 412 / 4, date at 412 / 2
  EXPECT_TRUE(inkIn(575, 103, 1200, 103 + 42));
  EXPECT_TRUE(inkIn(575, 206, 1200, 206 + 42));
  EXPECT_FALSE(inkIn(0, 1360, kPageW, 1640));
}

TEST_F(WindowPrinterTest, AScreenWiderThanThePageIsPrintedWhole) {
  // 1000 x 300 on the screen, 3125 printer pixels wide at 300 dpi: a green
  // strip on its left edge and a blue one on its right, which a cut would
  // lose, and the dates of a plot's axis in between.
  Screen screen(Qt::red);
  screen.resize(1000, 300);
  for (const auto& [x, colour] : {std::pair{0, Qt::green}, std::pair{980, Qt::blue}}) {
    auto* strip = new Screen(colour);
    strip->setParent(&screen);
    strip->setGeometry(x, 0, 20, 300);
    strip->show();  // shown with its window, which is not on the screen
  }
  EXPECT_EQ(printWindow(&screen, "Logger", 1, 1, 0), PrintOutcome::kPrinted);
  // Scaled by 2392 / 3125 both ways: 2392 x 717 between frames on the
  // page's edges, centred down the page below its header.
  constexpr int left = 4, top = 1650 - 358, w = 2392, h = 717;
  const struct {
    int x, y;
    QRgb rgb;
  } probes[] = {
      {left + 2, top + 2, 0x00ff00},
      {left + 2, top + h - 3, 0x00ff00},
      {left + w - 3, top + 2, 0x0000ff},
      {left + w - 3, top + h - 3, 0x0000ff},
      {left + w / 2, top + h / 2, 0xff0000},
      {left - 1, top + h / 2, 0},
      {0, top + h / 2, 0},
      {kPageW - 1, top + h / 2, 0},
      {left + w / 2, top + h + 3, 0},
      {left + w / 2, top + h + 4, 0xffffff},
      {left + w / 2, top - 5, 0xffffff},
  };
  for (const auto& p : probes) EXPECT_EQ(at(p.x, p.y), p.rgb) << p.x << "," << p.y;
  EXPECT_TRUE(inkIn(left, top / 4, 1200, top / 4 + 42));  // the name
  EXPECT_TRUE(inkIn(left, top / 2, 1200, top / 2 + 42));  // the date
  EXPECT_TRUE(errors.isEmpty());
}

// Notes whether the edit had the focus each time it was painted.
struct FocusAtPaint : QObject {
  std::vector<bool> focused;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint)
      focused.push_back(static_cast<QWidget*>(watched)->hasFocus());
    return false;
  }
};

TEST_F(WindowPrinterTest, TheTextCursorIsNotPrintedAndTheFocusComesBack) {
  Screen screen(Qt::white);
  auto* edit = new QLineEdit(&screen);
  screen.show();
  QApplication::setActiveWindow(&screen);
  edit->setFocus();
  ASSERT_TRUE(edit->hasFocus());
  FocusAtPaint paints;
  edit->installEventFilter(&paints);
  EXPECT_EQ(printWindow(&screen, "Measurement", 1, 1, 0), PrintOutcome::kPrinted);
  ASSERT_FALSE(paints.focused.empty());
  EXPECT_FALSE(paints.focused.back()) << "grabbed while the edit had the focus";
  EXPECT_TRUE(edit->hasFocus());
}

TEST_F(WindowPrinterTest, NoPageIsLostOrLeftOpen) {
  Screen screen(Qt::red);
  // a second part without a first one prints on a sheet of its own, headed
  EXPECT_EQ(printWindow(&screen, "Etal2", 1, 1, 2), PrintOutcome::kPrinted);
  EXPECT_EQ(job.calls, (QStringList{"begin Etal2 1", "end"}));
  expectFramedPicture(575, 1650, 0xff0000);
  EXPECT_TRUE(inkIn(575, 412, 1200, 412 + 42));

  // a first part whose second never comes is finished before the next job
  job.calls.clear();
  printWindow(&screen, "Etal1", 1, 1, 1);
  printWindow(&screen, "Logger", 1, 1, 0);
  EXPECT_EQ(job.calls, (QStringList{"begin Etal1 1", "end", "begin Logger 1", "end"}));

  // and at the end of the run
  job.calls.clear();
  printWindow(&screen, "Etal1", 1, 1, 1);
  finishPendingPrint();
  EXPECT_EQ(job.calls, (QStringList{"begin Etal1 1", "end"}));
  EXPECT_FALSE(printJobPending());

  // an unknown part number is a job of its own
  job.calls.clear();
  printWindow(&screen, "Echo", 1, 1, 7);
  EXPECT_EQ(job.calls, (QStringList{"begin Echo 1", "end"}));
}

TEST_F(WindowPrinterTest, FailuresPrintNothingAndSaySo) {
  Screen screen(Qt::red);
  noPrinter = true;
  EXPECT_EQ(printWindow(&screen, "Echo", 1, 1, 0), PrintOutcome::kNoDefaultPrinter);
  EXPECT_TRUE(job.calls.isEmpty());
  EXPECT_TRUE(
      printOutcomeNote(PrintOutcome::kNoDefaultPrinter, kEnglish).contains("No default printer"));
  EXPECT_TRUE(printOutcomeNote(PrintOutcome::kNoDefaultPrinter, kFrench).contains("imprimante"));
  EXPECT_TRUE(printOutcomeNote(PrintOutcome::kPrinted, kFrench).isEmpty());

  noPrinter = false;
  job.refuseStart = true;
  EXPECT_EQ(printWindow(&screen, "Echo", 1, 1, 1), PrintOutcome::kCannotStart);
  EXPECT_EQ(job.calls, (QStringList{"begin Echo 1", "end"}));  // closed as far as opened
  EXPECT_FALSE(printJobPending());
  EXPECT_FALSE(printOutcomeNote(PrintOutcome::kCannotStart, kEnglish).isEmpty());
}

}  // namespace
}  // namespace flowdesk
