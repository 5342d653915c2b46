// SPDX-License-Identifier: GPL-3.0-or-later
// flowdesk --virtual-unit: the unit program found beside flowdesk (or on
// the PATH) is started, Com1 leads to its terminal for this run only, it is
// started again when it ends by itself, and it ends with the run.
#include <gtest/gtest.h>
#include <sys/types.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/qt/MainWindow.h"
#include "app/qt/Startup.h"
#include "link/AppContext.h"
#include "support/FakeUserInterface.h"

namespace flowdesk {
namespace {

TEST(Startup, VirtualUnitMapsCom1ForThisRunOnly) {
  QTemporaryDir dir;
  ASSERT_TRUE(QFile::link(QStringLiteral(FLOWDESK_UNIT_BIN), dir.filePath("flowdesk-unit")));
  StartupOptions options;
  options.executable = dir.filePath("flowdesk-vu").toStdString();
  std::string device;
  std::string saved;
  bool deviceThere = false;
  options.runMainWindow = [&](MainWindow& window) {
    device = window.context().deviceOverride[0];
    saved = window.context().settings.Device1;
    deviceThere = QFileInfo::exists(QString::fromStdString(device));
    return 0;
  };
  EXPECT_EQ(runApplication({"flowdesk", "--virtual-unit"}, options), 0);
  EXPECT_TRUE(device.starts_with("/dev/pts/")) << device;
  EXPECT_TRUE(deviceThere);
  EXPECT_TRUE(saved.empty());
  // the unit ended with the program, and its terminal went with it
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(device)));

  // no unit program to be found: a warning, and the run goes on without it
  QTemporaryDir empty;
  options.executable = empty.filePath("flowdesk-vu").toStdString();
  testing::FakeUserInterface ui;
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", empty.path().toLocal8Bit());
  device = "unchanged";
  EXPECT_EQ(runApplication({"flowdesk", "--virtual-unit"}, options), 0);
  qputenv("PATH", path);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].icon, UserInterface::Icon::kWarning);
  EXPECT_EQ(ui.messages[0].caption, "flowdesk-vu");  // the program's name
  EXPECT_TRUE(ui.messages[0].text.contains("flowdesk-unit")) << ui.messages[0].text.toStdString();
  EXPECT_TRUE(device.empty());

  // the operator's own mapping is not overwritten by this run's terminal
  options.executable = dir.filePath("flowdesk-vu").toStdString();
  options.runMainWindow = [&](MainWindow& window) {
    saved = window.context().settings.Device1;
    device = window.context().deviceOverride[0];
    return 0;
  };
  runApplication({"flowdesk"}, options);
  EXPECT_TRUE(saved.empty());
  EXPECT_TRUE(device.empty());
}

// The flowdesk-unit children of this process.
std::vector<pid_t> unitChildren() {
  std::vector<pid_t> found;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    const std::size_t open = line.find('(');
    const std::size_t close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 2));
    char state = 0;
    pid_t parent = 0;
    rest >> state >> parent;
    if (parent == ::getpid() && line.substr(open + 1, close - open - 1) == "flowdesk-unit") {
      found.push_back(static_cast<pid_t>(std::stol(line)));
    }
  }
  return found;
}

TEST(Startup, AVirtualUnitThatEndsIsStartedAgainAndCom1Follows) {
  QTemporaryDir dir;
  ASSERT_TRUE(QFile::link(QStringLiteral(FLOWDESK_UNIT_BIN), dir.filePath("flowdesk-unit")));
  StartupOptions options;
  options.executable = dir.filePath("flowdesk-vu").toStdString();
  options.runMainWindow = [&](MainWindow& window) {
    AppContext& context = window.context();
    context.settings.Com = 0;
    context.settings.Bauds = 5;
    context.settings.Jbus = 1;
    const std::string first = context.deviceOverride[0];
    EXPECT_EQ(context.virtualUnitDevice, first);
    const std::vector<pid_t> before = unitChildren();
    EXPECT_EQ(before.size(), 1u);
    EXPECT_TRUE(context.master.readRegisters(0x2202, 1).ok());
    for (pid_t pid : before) ::kill(pid, SIGKILL);

    // started again, on a terminal of its own, and Com1 goes there
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
          const std::vector<pid_t> now = unitChildren();
          return now.size() == 1 && now != before && !context.virtualUnitDevice.empty();
        },
        20000));
    const std::string second = context.virtualUnitDevice;
    EXPECT_EQ(context.deviceOverride[0], second);
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(second))) << second;
    EXPECT_TRUE(context.settings.Device1.empty());
    EXPECT_FALSE(context.master.identified()) << "a new unit is identified again";
    EXPECT_TRUE(context.master.readRegisters(0x2202, 1).ok()) << "the new unit answers";
    return 0;
  };
  EXPECT_EQ(runApplication({"flowdesk", "--virtual-unit"}, options), 0);
  EXPECT_TRUE(unitChildren().empty()) << "ended with the program, not started again";
}

}  // namespace
}  // namespace flowdesk
