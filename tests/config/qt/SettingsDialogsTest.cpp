// SPDX-License-Identifier: GPL-3.0-or-later
// The maker dialog on a ".nvd" file, driven through its controls with the
// fake user interface: its rows against the .ui file, and the serial number
// and current points clamped and padded as they are shown. The settings
// pages on their files: a close asks before dropping changes neither saved
// nor uploaded.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <string>

#include "base/Clock.h"
#include "base/Texts.h"
#include "config/DefaultFiles.h"
#include "config/MakerFile.h"
#include "config/qt/CalibrationSheet.h"
#include "config/qt/FactorySettingsDialog.h"
#include "config/qt/MakerSettingsDialog.h"
#include "config/qt/MeasurementPointPage.h"
#include "config/qt/SpecialProbeDialog.h"
#include "files/FileKinds.h"
#include "link/AppContext.h"
#include "support/BoundControls.h"
#include "support/FakeUserInterface.h"
#include "support/ScreenProbes.h"

namespace flowdesk {
namespace {

using testing::child;

using testing::type;

TEST(MakerSettingsDialog, SerialNumberAndPointsShownWithinTheirRanges) {
  QTemporaryDir folder;
  DeviceImage image;
  AppContext context{systemClock(), image};
  const std::string path = folder.path().toStdString() + "/m.nvd";
  ASSERT_TRUE(writeMakerFile(path, defaultMakerFile()).ok());
  testing::FakeUserInterface ui;
  MakerSettingsDialog dialog(context);
  EXPECT_TRUE(
      testing::boundControlsInUi(dialog.bindings(), "src/config/qt/MakerSettingsDialog.ui"));
  ASSERT_TRUE(dialog.open(ScreenSource::file(path)));
  EXPECT_EQ(child<QLineEdit>(&dialog, "editSerial1")->text(), "01");
  EXPECT_EQ(child<QLineEdit>(&dialog, "editSerial3")->text(), "00001");
  const struct {
    const char* edit;
    const char* typed;
    const char* shown;
  } cases[] = {
      {"editSerial1", "0", "01"}, {"editSerial2", "100", "99"}, {"editSerial3", "70000", "65535"},
      {"editSerial2", "7", "07"}, {"edit4mA", "0", "1"},        {"edit20mA", "70000", "65535"}};
  for (const auto& c : cases) {
    EXPECT_EQ(type(&dialog, c.edit, c.typed), c.shown) << c.edit << " " << c.typed;
  }
}

TEST(SettingsPages, ACloseAsksBeforeDroppingChangesNotSavedOrUploaded) {
  using Make = std::function<std::unique_ptr<Screen>(AppContext&)>;
  const struct Case {
    const char* name;
    FileKind kind;
    const char* extension;
    Make make;
    const char* edit;
    bool escapeCloses;  // the calibration sheet and the special probe keep Escape
  } cases[] = {
      {"maker", FileKind::kMakerSettings, "nvd",
       [](AppContext& c) { return std::make_unique<MakerSettingsDialog>(c); }, "editSerial3", true},
      {"factory", FileKind::kFactorySettings, "rus",
       [](AppContext& c) { return std::make_unique<FactorySettingsDialog>(c); }, "editRipple",
       true},
      {"special probe", FileKind::kSpecialProbe, "csp540",
       [](AppContext& c) { return std::make_unique<SpecialProbeDialog>(c); }, "editT0", false},
      {"calibration sheet", FileKind::kCalibration, "eta",
       [](AppContext& c) { return std::make_unique<CalibrationSheet>(c); }, "editDiameter", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir folder;
    DeviceImage image;
    AppContext context{systemClock(), image};
    context.modeFlags.factory = context.modeFlags.maker = true;
    context.settings.Language = languageIndex(kEnglish);
    const std::string path = folder.path().toStdString() + "/a." + c.extension;
    ASSERT_TRUE(writeDefaultFile(c.kind, path, context.settings).ok());
    testing::FakeUserInterface ui;
    const auto opened = [&] {
      std::unique_ptr<Screen> screen = c.make(context);
      EXPECT_TRUE(screen->open(ScreenSource::file(path)));
      screen->show();
      QApplication::setActiveWindow(screen.get());
      ui.messages.clear();
      return screen;
    };
    const auto typeInto = [&](Screen& screen) {
      auto* edit = screen.findChild<QLineEdit*>(c.edit);
      ASSERT_NE(edit, nullptr);
      edit->setFocus();
      QTest::keyClick(edit, Qt::Key_End);
      QTest::keyClicks(edit, "1");
    };

    // Nothing changed: the close box closes without a word.
    std::unique_ptr<Screen> screen = opened();
    screen->close();
    EXPECT_FALSE(screen->isVisible());
    EXPECT_TRUE(ui.questions.empty());

    // A change: the close box asks; "no" keeps the page and the change.
    screen = opened();
    typeInto(*screen);
    screen->close();
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].toStdString(), kTxtDropEdits.english());
    EXPECT_TRUE(screen->isVisible());
    ui.questions.clear();
    QTest::keyClick(screen.get(), Qt::Key_Escape);
    EXPECT_EQ(ui.questions.size(), c.escapeCloses ? 1u : 0u) << "Escape as the close box";
    EXPECT_TRUE(screen->isVisible());
    ui.answers.push_back(true);
    screen->close();
    EXPECT_FALSE(screen->isVisible()) << "\"yes\" drops the change";

    // Ended by a signal: no one can answer, the page closes without asking.
    screen = opened();
    typeInto(*screen);
    ui.questions.clear();
    Screen::endWithoutQuestions();
    screen->close();
    Screen::endWithoutQuestions(false);
    EXPECT_FALSE(screen->isVisible());
    EXPECT_TRUE(ui.questions.empty());

    // Saved: nothing is left to drop.
    screen = opened();
    typeInto(*screen);
    ui.files.push_back(QString::fromStdString(folder.path().toStdString() + "/b." + c.extension));
    ui.questions.clear();
    QTest::keyClick(screen.get(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    ui.fileRequests.clear();
    screen->close();
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_FALSE(screen->isVisible());
  }
}

}  // namespace
}  // namespace flowdesk
