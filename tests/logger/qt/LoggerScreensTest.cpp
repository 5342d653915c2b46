// SPDX-License-Identifier: GPL-3.0-or-later
// The logger configuration screen offscreen against a register store on an
// in-memory line, with the fake user interface; and the conversion screen on
// a logger file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/qt/PictureButton.h"
#include "files/qt/ConvertFileDialog.h"
#include "logger/LoggerConversion.h"
#include "logger/qt/LoggerConfigurationDialog.h"
#include "support/BoundControls.h"
#include "support/FakeUserInterface.h"
#include "support/NumberFields.h"
#include "support/RegisterUnit.h"
#include "support/ScreenProbes.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::FakeUserInterface;

// A unit with a logger of 1000 records of `type` (0: 4, 1: 9 parameters) at 1 mn.
struct LoggerUnit : testing::RegisterLine {
  FakeUserInterface ui;
  DeviceImage image{};
  AppContext context{clock, image};
  explicit LoggerUnit(int type) {
    serve(context.master);
    context.settings.Language = 0;
    registers[0x000A] = 0x0001;
    registers[0x0010] = 1000;
    registers[0x3100] = 0x0403;  // 1 mn, point 3
    registers[0x3101] = static_cast<std::uint16_t>(type << 8 | 1);
  }
};

using testing::child;

TEST(LoggerConfigurationScreen, NumbersReadBackAsShown) {
  LoggerUnit s(1);
  LoggerConfigurationDialog dialog(s.context);
  ASSERT_TRUE(dialog.open(ScreenSource::unit()));
  testing::expectNumbersReadBackAsShown("logger configuration", dialog, dialog.bindings().fields);
}

TEST(LoggerConfigurationScreen, ShowsTheUnitsSettingsAndAppliesTheRules) {
  struct Case {
    int type;
    bool erase;
    int typeChosen;
    const char* pointTyped;
    bool fiveToNine;
    const char* pointShown;
    const char* range;
  } cases[] = {
      // The type returns to the unit's while the erase box is clear.
      {1, false, 0, "12", true, "12", "16:40:00"},
      {1, true, 0, "300", false, "255", "1 Jour(s) 09:20:00"},
      {0, false, 0, "-3", false, "0", "16:40:00"},
  };
  for (const Case& c : cases) {
    LoggerUnit s(c.type);
    LoggerConfigurationDialog dialog(s.context);
    ASSERT_TRUE(dialog.open(ScreenSource::unit()));
    EXPECT_TRUE(testing::boundControlsInUi(dialog.bindings(),
                                           "src/logger/qt/LoggerConfigurationDialog.ui"));
    EXPECT_EQ(dialog.windowTitle(), "Configuration Logger");
    EXPECT_FALSE(child<QComboBox>(dialog, "comboType")->isEnabled());
    child<QCheckBox>(dialog, "checkErase")->setChecked(c.erase);
    child<QComboBox>(dialog, "comboType")->setCurrentIndex(c.typeChosen);
    child<QLineEdit>(dialog, "editPoint")->setText(QString::fromLatin1(c.pointTyped));
    dialog.changed();
    EXPECT_EQ(child<QComboBox>(dialog, "comboType")->isEnabled(), c.erase);
    EXPECT_EQ(child<QComboBox>(dialog, "comboType")->currentIndex(),
              c.erase ? c.typeChosen : c.type);
    EXPECT_EQ(child<QComboBox>(dialog, "comboParameter9")->isHidden(), !c.fiveToNine);
    EXPECT_EQ(child<QLabel>(dialog, "labelParameter5")->isHidden(), !c.fiveToNine);
    EXPECT_FALSE(child<QComboBox>(dialog, "comboParameter4")->isHidden());
    EXPECT_EQ(child<QLineEdit>(dialog, "editPoint")->text(), c.pointShown);
    EXPECT_EQ(child<QLabel>(dialog, "valueRange")->text(), c.range);
  }
}

TEST(LoggerConfigurationScreen, ClosesSilentlyWithoutALoggerOrAUnit) {
  struct Case {
    const char* name;
    bool fileMode;
    std::uint16_t model;
    int refused;
  } cases[] = {
      {"file mode", true, 1, -1},
      {"no logger", false, 0x0100, -1},
      {"block L silent", false, 1, 0x3100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoggerUnit s(1);
    s.registers[0x000A] = c.model;
    s.refused = {c.refused};
    LoggerConfigurationDialog dialog(s.context);
    EXPECT_FALSE(dialog.open(c.fileMode ? ScreenSource::file("a.log") : ScreenSource::unit()));
    EXPECT_TRUE(s.ui.messages.empty());
    EXPECT_EQ(s.ui.progressShown, c.fileMode ? 0 : 1);
  }
}

TEST(LoggerConfigurationScreen, TransfertAsksThenWritesOrSaysUploadFailure) {
  struct Case {
    const char* name;
    bool yes;
    int refused;
    std::vector<int> writes;
    int result;
    std::size_t messages;
    // While the first write waits for the unit: TRANSFERT clicked and typed
    // again and the close box, which wait for the upload to end and then
    // act in turn, unless the upload closed the screen.
    bool pressedDuring = false;
    std::size_t questions = 1;
  } cases[] = {
      {"no", false, -1, {}, -1, 0},
      {"erase then settings, closed", true, -1, {0x2306, 0x3100}, QDialog::Accepted, 0},
      {"failed erase, open", true, 0x2306, {}, -1, 1},
      {"pressed during the upload", true, -1, {0x2306, 0x3100}, QDialog::Accepted, 0, true},
      // The click asks again ("yes": a second failure), Ctrl+T asks again
      // ("no"), then the close.
      {"closed during a failed upload", true, 0x2306, {}, QDialog::Rejected, 2, true, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoggerUnit s(1);
    LoggerConfigurationDialog dialog(s.context);
    ASSERT_TRUE(dialog.open(ScreenSource::unit()));
    s.ui.answers = {c.yes, true};
    child<QCheckBox>(dialog, "checkErase")->setChecked(true);
    dialog.setResult(-1);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    bool pressed = false;
    bool openWhilePressed = false;
    s.refuse = [&](const Bytes& request) {
      if (c.pressedDuring && request[1] == 16 && !pressed) {
        pressed = true;
        QTest::mouseClick(dialog.picture(PictureRole::kTransfert), Qt::LeftButton);
        QTest::keyClick(&dialog, Qt::Key_T, Qt::ControlModifier);
        dialog.close();
        openWhilePressed = dialog.isVisible() && dialog.result() == -1;
      }
      return (request[2] << 8 | request[3]) == c.refused;
    };
    dialog.transfert();
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(openWhilePressed, c.pressedDuring);
    EXPECT_EQ(s.ui.questions, std::vector<QString>(c.questions, "Téléchargement vers Unité"));
    EXPECT_EQ(s.writes, c.writes);
    EXPECT_EQ(dialog.result(), c.result);
    ASSERT_EQ(s.ui.messages.size(), c.messages);
    if (c.messages > 0) {
      EXPECT_EQ(s.ui.messages[0].text, "Téléchargement à échoué");
      EXPECT_EQ(s.ui.messages[0].caption, "TELECHARGEMENT");
      EXPECT_TRUE(child<QCheckBox>(dialog, "checkErase")->isChecked());
    }
  }
}

// The conversion screen takes a logger source as it takes a measurement one.
TEST(LoggerConversionScreen, TenRecordsGiveElevenLines) {
  testing::TempDir dir;
  const std::string in = dir.file("x.log");
  Bytes bytes = {34, 0};  // 31-byte records, each after address, function and size
  for (int k = 0; k < 10; ++k) {
    Bytes stored = {1, 4, 31};
    stored.resize(34, 1);
    stored[6] = static_cast<std::uint8_t>(k + 1);  // day
    bytes.insert(bytes.end(), stored.begin(), stored.end());
  }
  testing::putFile(in, bytes);
  FakeUserInterface ui;
  AppContext context;
  context.settings.Language = 1;
  context.settings.LastPathPrnFileName = dir.path() + "/";
  ConvertFileDialog screen(context,
                           std::make_unique<LoggerConversionSource>(RegionalSettings{}, kEnglish));
  ui.files.push_back(QString::fromStdString(dir.file("out.prn")));
  ASSERT_TRUE(screen.open(ScreenSource::file(in)));
  EXPECT_EQ(ui.fileRequests[0].folder.toStdString(), dir.file("xlog.prn"));
  EXPECT_FALSE(screen.convert());  // no spreadsheet program: the screen stays
  std::ifstream file(dir.file("out.prn"));
  int lines = 0;
  for (std::string line; std::getline(file, line);) ++lines;
  EXPECT_EQ(lines, 11);
  EXPECT_EQ(child<QLabel>(screen, "valueTotalRecord")->text(), "10");
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace flowdesk
