// SPDX-License-Identifier: GPL-3.0-or-later
// The factory and maker dialogs against flowdesk-unit on its pseudo-terminal
// (or on their files), driven through their controls with the fake user
// interface: clamping and cutting on read-back, the visibility and enabling
// rules, COMPARE, and what TRANSFERT sends. The maker dialog on a file alone
// is in SettingsDialogsTest.cpp.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "config/qt/FactorySettingsDialog.h"
#include "config/qt/MakerSettingsDialog.h"
#include "link/AppContext.h"
#include "link/BlockMaps.h"
#include "link/BlockTransfer.h"
#include "support/BoundControls.h"
#include "support/FakeUserInterface.h"
#include "support/Processes.h"
#include "support/ScreenProbes.h"

namespace flowdesk {
namespace {

struct UnitRig {
  testing::UnitProcess unit{{}};
  DeviceImage image;
  AppContext context{systemClock(), image};
  QTemporaryDir folder;

  UnitRig() {
    context.deviceOverride[0] = unit.device();
    context.settings.Com = 0;
    context.settings.Bauds = 5;
    context.settings.Jbus = 1;
    context.settings.LastPathName = folder.path().toStdString() + "/";
  }
};

using testing::child;

using testing::type;

void choose(QWidget* dialog, const char* combo, int index) {
  auto* c = child<QComboBox>(dialog, combo);
  c->setCurrentIndex(index);
  emit c->activated(index);
}

bool shown(QWidget* dialog, const char* name) {
  return !child<QWidget>(dialog, name)->isHidden();
}

TEST(FactorySettingsDialog, ReadBackClampsCutsAndPads) {
  UnitRig rig;
  ASSERT_FALSE(rig.unit.device().empty());
  testing::FakeUserInterface ui;
  FactorySettingsDialog dialog(rig.context);
  EXPECT_TRUE(
      testing::boundControlsInUi(dialog.bindings(), "src/config/qt/FactorySettingsDialog.ui"));
  ASSERT_TRUE(dialog.open(ScreenSource::unit()));
  const struct {
    const char* edit;
    const char* typed;
    const char* shown;
    std::size_t offset;  // in the block TRANSFERT sends
    std::string sent;    // the bytes there
  } cases[] = {
      {"editJbus", "0", "1", 5, "\x01"},
      {"editJbus", "300", "255", 5, "\xff"},
      {"editTextSp1", "ABCDEFGH", "ABCDEF", 19, "ABCDEF"},
      {"editTextSp2", "XY", "XY", 25, "XY    "},
      {"editContrast", "150", "100", 64, "\x64"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.edit) + " " + c.typed);
    EXPECT_EQ(type(&dialog, c.edit, c.typed), c.shown);
    const Bytes block = dialog.session().currentBlock();
    ASSERT_EQ(block.size(), 68u);
    EXPECT_EQ(std::string(block.begin() + static_cast<long>(c.offset),
                          block.begin() + static_cast<long>(c.offset + c.sent.size())),
              c.sent);
  }
}

TEST(FactorySettingsDialog, FunctionAndT0DecideWhatIsShown) {
  UnitRig rig;
  testing::FakeUserInterface ui;
  FactorySettingsDialog dialog(rig.context);
  ASSERT_TRUE(dialog.open(ScreenSource::unit()));
  // A simulated flow typed while shown is still sent once hidden.
  choose(&dialog, "comboFunction", 1);
  type(&dialog, "editQSimulation", "-123.4");
  const struct {
    int function;
    const char* t0Sp1;
    const char* t0Sp2;
    bool simulation, sp1, sp2, headers;
  } cases[] = {
      {1, "2.5", "0", true, true, false, true},
      {0, "0", "1.5", false, false, true, true},
      {0, "0", "0", false, false, false, false},
      {1, "3", "4", true, true, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.function) + " " + c.t0Sp1 + " " + c.t0Sp2);
    choose(&dialog, "comboFunction", c.function);
    type(&dialog, "editT0Sp1", c.t0Sp1);
    type(&dialog, "editT0Sp2", c.t0Sp2);
    for (const char* name :
         {"labelQSimulation", "editQSimulation", "labelRipple", "editRipple", "unitRipple"}) {
      EXPECT_EQ(shown(&dialog, name), c.simulation) << name;
    }
    for (const char* name : {"editAngleSp1", "comboFrequencySp1", "editTextSp1"}) {
      EXPECT_EQ(shown(&dialog, name), c.sp1) << name;
    }
    for (const char* name : {"editAngleSp2", "comboFrequencySp2", "editTextSp2"}) {
      EXPECT_EQ(shown(&dialog, name), c.sp2) << name;
    }
    for (const char* name : {"labelAngleHeader", "labelFrequencyHeader", "labelTextHeader"}) {
      EXPECT_EQ(shown(&dialog, name), c.headers) << name;
    }
    for (const char* name : {"labelT0Header", "editT0Sp1", "editT0Sp2", "labelSp1", "labelSp2"}) {
      EXPECT_TRUE(shown(&dialog, name)) << name;
    }
    const Bytes block = dialog.session().currentBlock();
    EXPECT_EQ(Bytes(block.begin() + 7, block.begin() + 10), (Bytes{0xFF, 0xFB, 0x2E}));  // -1234
  }
}

TEST(FactorySettingsDialog, CompareOnlyWhileTheUnitsValuesAreShown) {
  UnitRig rig;
  testing::FakeUserInterface ui;
  FactorySettingsDialog dialog(rig.context);
  ASSERT_TRUE(dialog.open(ScreenSource::unit()));
  const QString contrast = child<QLineEdit>(&dialog, "editContrast")->text();
  const QString typedOther = contrast == "40" ? "41" : "40";
  const struct {
    QString typed;
    bool compare;
  } steps[] = {{contrast, true}, {typedOther, false}, {contrast, true}};
  for (const auto& s : steps) {
    type(&dialog, "editContrast", s.typed);
    EXPECT_EQ(shown(&dialog, "buttonCompare"), s.compare) << s.typed.toStdString();
  }

  // Saved, then opened as a file: never offered there.
  const std::string saved = rig.context.settings.LastPathName + "site";
  ui.files = {QString::fromStdString(saved)};
  dialog.saveDisk();
  EXPECT_EQ(testing::wholeFile(saved + ".rus").size(), 70u);
  FactorySettingsDialog file(rig.context);
  ASSERT_TRUE(file.open(ScreenSource::file(saved + ".rus")));
  EXPECT_FALSE(shown(&file, "buttonCompare"));
  type(&file, "editContrast", typedOther);
  type(&file, "editContrast", contrast);
  EXPECT_FALSE(shown(&file, "buttonCompare"));
}

TEST(MakerSettingsDialog, VariantChangeableOnlyWithTheSelectorAndAlwaysSent) {
  const struct {
    bool selector;
    int chosen;  // -1: left as the unit had it
  } cases[] = {{false, -1}, {true, 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.selector);
    UnitRig rig;
    rig.context.modeFlags.unitTypeSelector = c.selector;
    testing::FakeUserInterface ui;
    MakerSettingsDialog dialog(rig.context);
    ASSERT_TRUE(dialog.open(ScreenSource::unit()));
    EXPECT_EQ(child<QComboBox>(&dialog, "comboDevice")->isEnabled(), c.selector);
    EXPECT_EQ(child<QWidget>(&dialog, "labelDevice")->isEnabled(), c.selector);
    if (c.chosen >= 0) choose(&dialog, "comboDevice", c.chosen);
    const int shownVariant = child<QComboBox>(&dialog, "comboDevice")->currentIndex();
    type(&dialog, "edit4mA", "12345");

    ui.answers = {true};
    dialog.transfert();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.progressSteps.back(), "Transfert Réglage NORVADINE");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(rig.context.master.identified());

    DeviceImage readBack;
    ASSERT_TRUE(readBlock(rig.context.master, kMakerBlock, makerMap(readBack)).ok());
    EXPECT_EQ(readBack.maker.deviceVariant, shownVariant);
    EXPECT_FLOAT_EQ(readBack.maker.point4mA, 12345.0f);
    if (c.chosen >= 0) {
      EXPECT_EQ(shownVariant, c.chosen);
    }
  }
}

}  // namespace
}  // namespace flowdesk
