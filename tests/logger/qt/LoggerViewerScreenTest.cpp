// SPDX-License-Identifier: GPL-3.0-or-later
// The logger viewer offscreen with the fake user interface: its controls
// against the .ui, a logger file on show, Escape, the status help, and
// SAVEDISK against the virtual unit behind an in-memory line.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "link/AppContext.h"
#include "logger/LoggerFile.h"
#include "logger/qt/LoggerDownloadWindow.h"
#include "logger/qt/LoggerViewerDialog.h"
#include "logger/qt/StatusHelpWindow.h"
#include "support/BoundControls.h"
#include "support/FakeUserInterface.h"
#include "support/ManualClock.h"
#include "support/MemorySerialDriver.h"
#include "support/ScreenProbes.h"
#include "support/TestFiles.h"
#include "unit/VirtualUnit.h"

namespace flowdesk {
namespace {

using testing::FakeUserInterface;
using testing::TempDir;
using C = LoggerControl;

TEST(LoggerViewerScreen, EveryControlItWritesIsInTheUiFile) {
  FakeUserInterface fake;
  AppContext context;
  LoggerViewerDialog dialog(context);
  EXPECT_FALSE(dialog.open(ScreenSource::file("/nonexistent/a.log")));
  EXPECT_EQ(fake.messages.size(), 1u) << "a file that cannot be read is reported";
  EXPECT_TRUE(testing::boundControlsInUi(dialog.bindings(), "src/logger/qt/LoggerViewerDialog.ui"));
}

TEST(LoggerViewerScreen, FileModeEscapeAndStatusHelp) {
  struct Case {
    Language language;
    QString helpTitle, secondLine, goText;
  } cases[] = {
      {kFrench, "Aide Information ETAT", "Flow Fault", "Go Enr."},
      {kEnglish, "Help STATUS", "Flow Fault", "Go Rec."},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string path = dir.file("a.log");
    ASSERT_TRUE(createLoggerFile(path, 62).ok());
    Bytes record(62, 0);
    record[3] = 1;
    int written = 0;
    for (int i = 0; i < 30; ++i) appendLoggerRecords(path, 1, 62, record, 1, written);
    FakeUserInterface fake;
    AppContext context;
    context.settings.Language = languageIndex(c.language);
    LoggerViewerDialog dialog(context);
    ASSERT_TRUE(dialog.open(ScreenSource::file(path)));
    dialog.show();
    auto* table = dialog.findChild<QTableWidget*>("tableRecords");
    EXPECT_EQ(table->columnCount(), 13);
    EXPECT_EQ(table->item(25, 0)->text(), "26");
    // Nine parameters are wider than the test's screen: the grid says it
    // scrolls.
    EXPECT_EQ(table->toolTip().toStdString(), gridScrollsText(c.language));
    EXPECT_FALSE(dialog.control(C::kPgd)->isHidden());
    EXPECT_TRUE(dialog.control(C::kSaveDisk)->isHidden()) << "no download from a file";
    EXPECT_EQ(dialog.findChild<QWidget*>("buttonGo")->property("text").toString(), c.goText);

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &escape);
    EXPECT_TRUE(dialog.isVisible()) << "Escape leaves the viewer open";

    dialog.help();
    StatusHelpWindow* help = dialog.helpWindow();
    ASSERT_NE(help, nullptr);
    dialog.help();
    EXPECT_EQ(dialog.helpWindow(), help) << "one help window at a time";
    EXPECT_EQ(help->windowTitle(), c.helpTitle);
    auto* lines = help->findChild<QTableWidget*>("tableStatus");
    EXPECT_EQ(lines->rowCount(), 13);
    EXPECT_EQ(lines->item(1, 0)->text(), "A");
    EXPECT_EQ(lines->item(12, 0)->text(), "L");
    dialog.navigate(LoggerNavigation::kPgd);
    EXPECT_EQ(table->item(0, 0)->text(), "27");
    EXPECT_TRUE(table->item(4, 0)->text().isEmpty());

    // Enter in the record-number field is "Go", whatever button had a default role.
    auto* field = dialog.findChild<QLineEdit*>("editRecord");
    field->setText("3");
    field->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(field, &enter);
    EXPECT_EQ(table->item(0, 0)->text(), "01");
    EXPECT_TRUE(fake.fileRequests.empty()) << "no save prompt";
  }
}

// A unit with a logger of 30 records on an in-memory line; `during` runs
// once, while the next request waits for its answer.
struct LoggerOnLine {
  ManualClock clock;
  DeviceImage image;
  AppContext context{clock, image};
  std::shared_ptr<MemoryLine> line = std::make_shared<MemoryLine>(clock);
  unit::VirtualUnit unit{withLogger(), [] { return 1.7e9; }};
  std::function<void()> during;
  LoggerOnLine() {
    line->onWrite = [this](MemoryLine& l) {
      const Bytes request = l.takeRequest();
      if (during) std::exchange(during, nullptr)();
      if (auto reply = unit.handle(request)) l.deliverAtBaud(*reply, 9600, 5);
    };
    context.master.setPortOpener(memoryPortOpener(line));
    context.settings.Bauds = 5;
  }
  static unit::UnitSettings withLogger() {
    unit::UnitSettings settings;
    settings.configs = 18;
    settings.loggerRecords = 30;
    return settings;
  }
};

TEST(LoggerViewerScreen, SaveDiskDownloadsWithItsWindow) {
  LoggerOnLine rig;
  AppContext& context = rig.context;
  TempDir dir;
  FakeUserInterface fake;
  fake.files.push_back(QString::fromStdString(dir.file("d.log")));

  LoggerViewerDialog dialog(context);
  ASSERT_TRUE(dialog.open(ScreenSource::unit()));
  for (int i = 0; i < 20 && dialog.control(C::kSaveDisk)->isHidden(); ++i) dialog.tick();
  ASSERT_FALSE(dialog.control(C::kSaveDisk)->isHidden());
  EXPECT_EQ(fake.progressShown, 1);
  dialog.saveDisk();
  ASSERT_NE(dialog.downloadWindow(), nullptr);
  EXPECT_FALSE(dialog.control(C::kArretDisk)->isHidden());
  EXPECT_TRUE(dialog.control(C::kPgd)->isHidden());
  dialog.tick();
  auto* done = dialog.downloadWindow()->findChild<QLabel*>("valueRecordsDone");
  EXPECT_EQ(done->text(), "8");
  for (int i = 0; i < 20 && dialog.downloadWindow() != nullptr; ++i) dialog.tick();
  EXPECT_EQ(dialog.downloadWindow(), nullptr) << "the window closes with the download";
  EXPECT_EQ(testing::fileBytes(dir.file("d.log")).size(), 2u + 30u * 34u);
  EXPECT_TRUE(fake.messages.empty());
}

// The polling screens: presses and a close while a tick waits for the unit
// act when the fetch has ended, never inside it; ARRETDISK during a
// download's fetch ends the download there.
TEST(LoggerViewerScreen, PressesAndACloseDuringAFetchActAfterIt) {
  LoggerOnLine rig;
  FakeUserInterface fake;
  LoggerViewerDialog dialog(rig.context);
  ASSERT_TRUE(dialog.open(ScreenSource::unit()));
  for (int i = 0; i < 20 && dialog.control(C::kSaveDisk)->isHidden(); ++i) dialog.tick();
  dialog.show();
  QApplication::setActiveWindow(&dialog);

  bool openDuring = false;
  std::size_t promptsDuring = 99;
  rig.during = [&] {
    QTest::mouseClick(dialog.control(C::kSaveDisk), Qt::LeftButton);
    QTest::keyClick(&dialog, Qt::Key_S, Qt::ControlModifier);
    dialog.close();
    openDuring = dialog.isVisible();
    promptsDuring = fake.fileRequests.size();
  };
  // HOME reloads the page: its fetches run from the timer's ticks.
  dialog.navigate(LoggerNavigation::kHome);
  ASSERT_TRUE(testing::waitFor([&] { return !dialog.isVisible(); }, 3000));
  EXPECT_TRUE(openDuring) << "closed while a fetch waited for the unit";
  EXPECT_EQ(promptsDuring, 0u) << "a prompt inside the fetch";
}

TEST(LoggerViewerScreen, ArretDiskDuringADownloadFetchEndsTheDownloadThere) {
  LoggerOnLine rig;
  TempDir dir;
  FakeUserInterface fake;
  fake.files.push_back(QString::fromStdString(dir.file("d.log")));
  LoggerViewerDialog dialog(rig.context);
  ASSERT_TRUE(dialog.open(ScreenSource::unit()));
  for (int i = 0; i < 20 && dialog.control(C::kSaveDisk)->isHidden(); ++i) dialog.tick();
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  dialog.saveDisk();
  ASSERT_NE(dialog.downloadWindow(), nullptr);

  bool downloadingAfterPress = false;
  rig.during = [&] {
    QTest::mouseClick(dialog.control(C::kArretDisk), Qt::LeftButton);
    downloadingAfterPress = dialog.session().recording() != Recording::kOff;
  };
  ASSERT_TRUE(testing::waitFor([&] { return dialog.downloadWindow() == nullptr; }, 3000));
  EXPECT_TRUE(downloadingAfterPress) << "the download stopped inside its fetch";
  EXPECT_EQ(dialog.session().recording(), Recording::kOff);
  // The fetch under way was stored, and nothing after it.
  EXPECT_EQ(testing::fileBytes(dir.file("d.log")).size(), 2u + 8u * 34u);
  dialog.reject();
}

}  // namespace
}  // namespace flowdesk
