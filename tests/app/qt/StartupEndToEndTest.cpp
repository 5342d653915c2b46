// flowdesk --virtual-unit: the unit program found beside flowdesk (or on
// the PATH) is started, Com1 leads to its terminal for this run only, and it
// ends with the run.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <string>

#include "app/qt/CMainDlg.h"
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
  options.runMainWindow = [&](CMainDlg& window) {
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
  EXPECT_EQ(ui.messages[0].icon, UserInterface::Icon::Warning);
  EXPECT_EQ(ui.messages[0].caption, "flowdesk-vu");  // the program's name
  EXPECT_TRUE(ui.messages[0].text.contains("flowdesk-unit")) << ui.messages[0].text.toStdString();
  EXPECT_TRUE(device.empty());

  // the operator's own mapping is not overwritten by this run's terminal
  options.executable = dir.filePath("flowdesk-vu").toStdString();
  options.runMainWindow = [&](CMainDlg& window) {
    saved = window.context().settings.Device1;
    device = window.context().deviceOverride[0];
    return 0;
  };
  runApplication({"flowdesk"}, options);
  EXPECT_TRUE(saved.empty());
  EXPECT_TRUE(device.empty());
}

}  // namespace
}  // namespace flowdesk
