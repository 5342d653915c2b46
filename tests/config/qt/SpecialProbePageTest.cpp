// SPDX-License-Identifier: GPL-3.0-or-later
// The special-probe page with the fake user interface: rows against its .ui
// file, what each mode shows, the scaled values as shown and saved, and
// TRANSFERT following the slot boxes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <string>

#include "base/Clock.h"
#include "config/SpecialProbeFile.h"
#include "config/qt/SpecialProbeDialog.h"
#include "link/AppContext.h"
#include "support/BoundControls.h"
#include "support/FakeUserInterface.h"
#include "support/ScreenProbes.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::child;

void leave(QWidget* edit) {
  QFocusEvent out(QEvent::FocusOut);
  QApplication::sendEvent(edit, &out);
}

struct PageRig {
  QTemporaryDir folder;
  DeviceImage image;
  AppContext context{systemClock(), image};
  const ScreenSource source{folder.filePath("probe.csp540").toStdString()};
  explicit PageRig(bool maker, const Bytes& file) {
    context.modeFlags.maker = maker;
    context.settings.Language = languageIndex(kEnglish);
    context.settings.LastPathName = folder.path().toStdString() + "/";
    testing::putFile(source.filePath, file);
  }
};

// "Probe", 45.50° (4550), frequency 2, T0 12.3 µs (123).
const Bytes kProbeFile{'P', 'r', 'o', 'b', 'e', 0, 0x11, 0xC6, 2, 123};

TEST(SpecialProbePage, ShowsThePagesOfEachModeWithTheFilesValues) {
  const struct {
    bool maker;
    bool editsShown;
  } cases[] = {{true, true}, {false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.maker);
    PageRig rig(c.maker, kProbeFile);
    rig.context.master.markIdentified();
    testing::FakeUserInterface ui;
    SpecialProbeDialog page(rig.context);
    EXPECT_TRUE(testing::boundControlsInUi(page.bindings(), "src/config/qt/SpecialProbeDialog.ui"));
    ASSERT_TRUE(page.open(rig.source));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(rig.context.master.identified()) << "opening identifies again";
    EXPECT_EQ(page.windowTitle(), "Upload Special Probe");
    EXPECT_EQ(child<QLineEdit>(&page, "editAngle")->text(), "45.50");
    EXPECT_EQ(child<QLineEdit>(&page, "editT0")->text(), "12.3");
    EXPECT_EQ(child<QLabel>(&page, "labelNameText")->text(), "Probe");
    EXPECT_EQ(child<QCheckBox>(&page, "checkSa")->text(), "Upload SA");
    EXPECT_TRUE(child<QCheckBox>(&page, "checkSa")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(&page, "checkSb")->isChecked());
    for (const char* name :
         {"editName", "editT0", "editAngle", "comboFrequency", "buttonSaveDisk"}) {
      EXPECT_EQ(!child<QWidget>(&page, name)->isHidden(), c.editsShown) << name;
    }
    EXPECT_EQ(child<QLabel>(&page, "labelNameText")->isHidden(), c.editsShown);

    // TRANSFERT follows the two boxes.
    auto* transfert = child<QPushButton>(&page, "buttonTransfert");
    EXPECT_FALSE(transfert->isHidden());
    child<QCheckBox>(&page, "checkSa")->click();
    EXPECT_TRUE(transfert->isHidden()) << "both boxes cleared";
    child<QCheckBox>(&page, "checkSb")->click();
    EXPECT_FALSE(transfert->isHidden());
    EXPECT_FALSE(page.session().intoSp1);
    EXPECT_TRUE(page.session().intoSp2);
  }
}

TEST(SpecialProbePage, SavesTypedValuesAsTheFileStoresThem) {
  PageRig rig(true, kProbeFile);
  testing::FakeUserInterface ui;
  SpecialProbeDialog page(rig.context);
  ASSERT_TRUE(page.open(rig.source));
  const struct {
    const char* edit;
    const char* typed;
    const char* shown;
  } typed[] = {{"editAngle", "12.345", "12.35"},
               {"editT0", "2.39", "2.4"},
               {"editName", "Probe123", "Probe1"}};
  for (const auto& t : typed) {
    auto* edit = child<QLineEdit>(&page, t.edit);
    edit->setText(QString::fromUtf8(t.typed));
    leave(edit);
    EXPECT_EQ(edit->text(), QString::fromUtf8(t.shown)) << t.edit;
  }
  auto* angle = child<QLineEdit>(&page, "editAngle");
  angle->setText("120");
  leave(angle);
  EXPECT_EQ(angle->text(), "90.00") << "held to its range";
  angle->setText("12.345");
  leave(angle);

  const QString saved = rig.folder.filePath("saved");
  ui.files = {saved};
  page.saveDisk();
  const Bytes bytes = testing::fileBytes(saved.toStdString() + ".csp540");
  ASSERT_EQ(bytes.size(), kSpecialProbeFileBytes);
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 6), Bytes({'P', 'r', 'o', 'b', 'e', '1'}));
  EXPECT_EQ(bytes[6] << 8 | bytes[7], 1235) << "12.345 rounded half away from zero";
  EXPECT_EQ(bytes[9], 23) << "2.39 truncated";
}

TEST(SpecialProbePage, AFileTooShortIsRefusedWithAMessage) {
  PageRig rig(true, Bytes(9, 0));
  testing::FakeUserInterface ui;
  SpecialProbeDialog page(rig.context);
  EXPECT_FALSE(page.open(rig.source));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].icon, UserInterface::Icon::kCritical);
  EXPECT_TRUE(ui.messages[0].text.startsWith("File too short"))
      << ui.messages[0].text.toStdString();
}

}  // namespace
}  // namespace flowdesk
