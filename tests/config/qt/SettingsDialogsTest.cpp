// The maker dialog on a ".nvd" file, driven through its controls with the
// fake user interface: its rows against the .ui file, and the serial number
// and current points clamped and padded as they are shown.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <string>

#include "base/Clock.h"
#include "config/MakerFile.h"
#include "config/qt/CReglageNorvadineDlg.h"
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
  CReglageNorvadineDlg dialog(context);
  EXPECT_TRUE(
      testing::boundControlsInUi(dialog.bindings(), "src/config/qt/CReglageNorvadineDlg.ui"));
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

}  // namespace
}  // namespace flowdesk
