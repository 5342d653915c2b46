// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "app/qt/MainWindow.h"
#include "app/qt/Startup.h"
#include "base/qt/QtPrint.h"
#include "link/AppContext.h"
#include "link/qt/ConnectionDialog.h"
#include "support/FakeUserInterface.h"

namespace flowdesk {
namespace {

// Chooses in a list of the connection page as the operator does.
void choose(QDialog& page, const char* list, int index) {
  auto* combo = page.findChild<QComboBox*>(QString::fromLatin1(list));
  ASSERT_NE(combo, nullptr) << list;
  combo->setCurrentIndex(index);
  emit combo->activated(index);
}

QString firstMenu(const MainWindow& window) {
  return window.menuBar()->actions().value(0)->text();
}

TEST(Startup, SettingsSurviveARun) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  StartupOptions options;
  options.executable = dir.filePath("flowdesk-survive").toStdString();

  QString menuBefore;
  testing::FakeUserInterface ui;
  ui.dialogRunner = [](QDialog& page) {
    choose(page, "comboLanguage", 1);
    choose(page, "comboPort", 2);
    return 0;
  };
  options.runMainWindow = [&](MainWindow& window) {
    menuBefore = firstMenu(window);
    window.runCommand(kCmdConfiguration);
    return 0;
  };
  EXPECT_EQ(runApplication({"flowdesk"}, options), 0);
  EXPECT_EQ(menuBefore, "&Fichier");  // a first run speaks French
  EXPECT_EQ(ui.dialogsRun.size(), 1u);
  // the first run made the data folder in the documents folder, never
  // beside the program
  const QString data = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
                       QStringLiteral("/flowdesk");
  EXPECT_TRUE(QFileInfo(data).isDir());
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("Data")));

  int language = -1, com = -1;
  QString menuAfter;
  std::string lastPath;
  options.runMainWindow = [&](MainWindow& window) {
    language = window.context().settings.Language;
    com = window.context().settings.Com;
    lastPath = window.context().settings.LastPathName;
    menuAfter = firstMenu(window);
    return 0;
  };
  EXPECT_EQ(runApplication({"flowdesk"}, options), 0);
  EXPECT_EQ(language, 1);
  EXPECT_EQ(com, 2);
  EXPECT_EQ(menuAfter, "&File");
  EXPECT_EQ(lastPath, data.toStdString() + "/");
}

TEST(Startup, SwitchesOfTheCommandLineShapeTheMenu) {
  QTemporaryDir dir;
  StartupOptions options;
  options.executable = dir.filePath("flowdesk-switches").toStdString();
  const struct {
    std::vector<std::string> arguments;
    bool factory, maker, initialisation;
  } cases[] = {
      {{"flowdesk"}, false, false, false},
      {{"flowdesk", "-q"}, true, false, false},
      {{"flowdesk", "-kRwT"}, false, false, false},
      {{"flowdesk", "-q", "-kRwT", "boot"}, true, true, true},
      {{"flowdesk", "x-qy", "a-kRwTb", "reboot"}, true, true, true},  // substrings count
  };
  for (const auto& c : cases) {
    ModeFlags seen;
    bool makerEntry = false;
    options.runMainWindow = [&](MainWindow& window) {
      seen = window.context().modeFlags;
      makerEntry = window.findChild<QAction*>("command32777") != nullptr;
      return 0;
    };
    runApplication(c.arguments, options);
    EXPECT_EQ(seen.factory, c.factory) << c.arguments.size();
    EXPECT_EQ(seen.maker, c.maker) << c.arguments.size();
    EXPECT_EQ(seen.initialisation, c.initialisation) << c.arguments.size();
    EXPECT_EQ(makerEntry, c.maker) << c.arguments.size();
  }
}

}  // namespace
}  // namespace flowdesk
