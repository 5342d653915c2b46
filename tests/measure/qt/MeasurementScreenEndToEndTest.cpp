// SPDX-License-Identifier: GPL-3.0-or-later
// The live measurement screen against flowdesk-unit on its pseudo-terminal:
// that it fills at its first poll, in either language, SAVEDISK recording
// until ARRETDISK, and Ctrl+P pressed while a poll waits for the unit.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QTableWidget>
#include <QTest>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>

#include "base/qt/PictureButton.h"
#include "base/qt/WindowPrinter.h"
#include "link/AppContext.h"
#include "link/Blocks.h"
#include "link/FrameTrace.h"
#include "link/LinkTimings.h"
#include "link/SerialPort.h"
#include "measure/qt/MeasurementDialog.h"
#include "measure/qt/TrendGraphView.h"
#include "support/FakeUserInterface.h"
#include "support/Processes.h"
#include "support/ScreenProbes.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using B = MeasurementButton;
using testing::FakeUserInterface;
using testing::TempDir;

using testing::labelText;
using testing::waitFor;

std::string shownButtons(const MeasurementDialog& d) {
  return testing::shownButtons<MeasurementButton>(d, kMeasurementButtons);
}

// The virtual unit at 9600 baud on Com1.
struct LiveUnit {
  testing::UnitProcess unit{{"--baud", "9600"}};
  AppContext context;
  explicit LiveUnit(Language language) {
    EXPECT_FALSE(unit.device().empty());
    context.deviceOverride = {unit.device(), "", "", ""};
    context.settings.Com = 0;
    context.settings.Bauds = 5;
    context.settings.Jbus = 1;
    context.settings.Language = languageIndex(language);
    context.master.markIdentified();
  }
};

// The requests the screen sends, counted as the frame trace sees them, and
// how many of them went out before the flow value was shown.
class RequestCount {
 public:
  explicit RequestCount(std::function<bool()> shown) {
    frameTrace().setSink([this, shown = std::move(shown)](const std::string& line) {
      if (line.find("] TX") == std::string::npos) return;
      ++sent;
      if (!shown()) ++beforeShown;
    });
    frameTrace().setEnabled(true);
  }
  ~RequestCount() {
    frameTrace().setEnabled(false);
    frameTrace().setSink({});
  }
  RequestCount(const RequestCount&) = delete;
  RequestCount& operator=(const RequestCount&) = delete;
  int sent = 0;
  int beforeShown = 0;
};

// The screen fills at the first poll, which reads the four blocks: counted
// in requests rather than timed, so a busy machine changes nothing.
TEST(MeasurementScreen, LiveScreenFillsAtTheFirstPollInEitherLanguage) {
  for (const auto& [language, waiting, flowLabel] :
       {std::tuple{kFrench, "Attente de connection", "Débit"},
        std::tuple{kEnglish, "Trying to connect", "Flow"}}) {
    LiveUnit live(language);
    FakeUserInterface ui;
    MeasurementDialog d(live.context);
    RequestCount requests([&] { return !labelText(d, "valueFlow").isEmpty(); });
    ASSERT_TRUE(d.open(ScreenSource::unit()));
    EXPECT_EQ(labelText(d, "labelTopLine"), QString::fromUtf8(waiting));
    EXPECT_EQ(shownButtons(d), "00000000");
    EXPECT_EQ(labelText(d, "valueFlow"), "");
    ASSERT_TRUE(waitFor([&] { return !labelText(d, "valueFlow").isEmpty(); }, 5000));
    EXPECT_EQ(requests.beforeShown, 4) << "S1, S2, M1 and M2, once each";
    EXPECT_EQ(labelText(d, "labelTopLine"), "");
    EXPECT_EQ(labelText(d, "labelFlow"), QString::fromUtf8(flowLabel));
    EXPECT_EQ(shownButtons(d), "10001000");  // SAVEDISK and PRINT
    EXPECT_GT(d.findChild<QTableWidget*>("tableChords")->columnCount(), 1);
    EXPECT_TRUE(d.findChild<TrendGraphView*>("trendGraph")->hasInput());
    EXPECT_FALSE(labelText(d, "valueUnitDateTime").isEmpty());
    d.reject();
    EXPECT_FALSE(d.session().isOpen());
    EXPECT_TRUE(ui.messages.empty());
  }
}

TEST(MeasurementScreen, SaveDiskRecordsUntilArretDisk) {
  TempDir dir;
  LiveUnit live(kEnglish);
  FakeUserInterface ui;
  live.context.settings.LastPathName = dir.path() + "/";
  MeasurementDialog d(live.context);
  ASSERT_TRUE(d.open(ScreenSource::unit()));
  ASSERT_TRUE(waitFor([&] { return d.session().hasDisplay(); }, 2000));

  // Cancelling the prompt records nothing.
  d.button(B::kSaveDisk)->click();
  EXPECT_EQ(ui.fileRequests.size(), 1u);
  EXPECT_EQ(shownButtons(d), "10001000");

  ui.files.push_back(QString::fromStdString(dir.file("run")));
  d.button(B::kSaveDisk)->click();
  const std::string path = dir.file("run.mes");
  EXPECT_EQ(shownButtons(d), "01001000");  // ARRETDISK and PRINT
  ASSERT_TRUE(waitFor([&] { return d.session().recordCount() >= 3; }, 5000));
  EXPECT_EQ(labelText(d, "labelTopLine").toStdString(), path);
  EXPECT_TRUE(labelText(d, "labelSecondLine").startsWith(QString::fromUtf8("Record n° ")));

  d.button(B::kArretDisk)->click();
  const int records = d.session().recordCount();
  EXPECT_EQ(shownButtons(d), "00001000");
  ASSERT_TRUE(waitFor([&] { return !d.button(B::kSaveDisk)->isHidden(); }, 2000));
  EXPECT_EQ(std::filesystem::file_size(path), 318u + 370u * static_cast<unsigned>(records));
  EXPECT_TRUE(ui.messages.empty());
}

// A printer that takes no job: each print asked is one call.
class CountingPrinter : public PrintTarget {
 public:
  bool begin(const QString&, int) override { return false; }
  QPainter& painter() override { return painter_; }
  QSize pageSize() const override { return {}; }
  int dpiX() const override { return 300; }
  int dpiY() const override { return 300; }
  void end() override {}

 private:
  QPainter painter_;
};

TEST(MeasurementScreen, EveryCtrlPPressedDuringAPollPrints) {
  LiveUnit live(kEnglish);
  FakeUserInterface ui;
  MeasurementDialog d(live.context);
  ASSERT_TRUE(d.open(ScreenSource::unit()));
  d.show();
  QApplication::setActiveWindow(&d);
  ASSERT_TRUE(waitFor([&] { return d.session().hasDisplay(); }, 3000));

  const PrintEnvironment saved = printEnvironment();
  PrintEnvironment print = saved;
  print.showProgress = false;
  print.showError = [](QWidget*, const QString&) {};
  int printed = 0;
  int printedWhileBusy = 0;
  print.openPrinter = [&]() -> std::unique_ptr<PrintTarget> {
    ++printed;
    if (d.busy()) ++printedWhileBusy;
    return std::make_unique<CountingPrinter>();
  };
  setPrintEnvironment(print);
  // The presses come while the poll waits for its reply, as the operator's
  // do: the wait lets the window's events through.
  int pressed = 0;
  const ScopedIdleHook idle([&](SerialPort*) {
    if (d.busy() && pressed < 5) {
      ++pressed;
      QTest::keyClick(&d, Qt::Key_P, Qt::ControlModifier);
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return 0;
  });
  const bool five = waitFor([&] { return printed >= 5; }, 10000);
  setPrintEnvironment(saved);
  ASSERT_TRUE(five) << printed << " printouts for " << pressed << " Ctrl+P";
  EXPECT_EQ(printed, 5);
  EXPECT_EQ(printedWhileBusy, 5) << "PRINT needs no exchange: it acts at once";
  d.reject();
}

}  // namespace
}  // namespace flowdesk
