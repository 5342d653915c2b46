// SPDX-License-Identifier: GPL-3.0-or-later
// The live echo screen against flowdesk-unit on its pseudo-terminal: the
// pictures it polls, recorded on request, and the unit's echo screen stopped
// before the dialog closes.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <filesystem>
#include <string>

#include "base/qt/PictureButton.h"
#include "echo/qt/EchoDialog.h"
#include "echo/qt/EchoPictureView.h"
#include "link/AppContext.h"
#include "support/FakeUserInterface.h"
#include "support/Processes.h"
#include "support/ScreenProbes.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using B = EchoButton;
using testing::FakeUserInterface;
using testing::TempDir;

using testing::labelText;
using testing::waitFor;

std::string shownButtons(const EchoDialog& d) {
  return testing::shownButtons<EchoButton>(d, kEchoButtons);
}

TEST(EchoScreen, LivePicturesRecordedAndTheScreenStoppedAtClosing) {
  TempDir dir;
  testing::UnitProcess unit{{"--baud", "9600"}};
  ASSERT_FALSE(unit.device().empty());
  AppContext context;
  context.deviceOverride = {unit.device(), "", "", ""};
  context.settings.Com = 0;
  context.settings.Bauds = 5;
  context.settings.Jbus = 1;
  context.settings.Language = languageIndex(kEnglish);
  context.settings.LastPathName = dir.path() + "/";
  context.master.markIdentified();
  FakeUserInterface ui;

  EchoDialog d(context);
  ASSERT_TRUE(d.open(ScreenSource::unit()));
  EXPECT_EQ(d.windowTitle(), "Visu Echo");
  EXPECT_EQ(ui.progressShown, 1);
  const auto* combo = d.findChild<QComboBox*>("comboScreen");
  ASSERT_GE(combo->count(), 2);
  EXPECT_EQ(combo->itemText(0), "P1");
  EXPECT_EQ(labelText(d, "labelScreen"), "Ecran");
  ASSERT_TRUE(waitFor([&] { return d.windowTitle() == "Echo display"; }, 6000));
  EXPECT_EQ(d.findChild<QProgressBar*>("progressBar")->value(), 5);
  EXPECT_EQ(shownButtons(d), "1000100");  // SAVEDISK, PRINT
  EXPECT_NE(d.picture()->image(), EchoImage{});

  ui.files.push_back(QString::fromStdString(dir.file("live")));
  d.button(B::kSaveDisk)->click();
  EXPECT_EQ(shownButtons(d), "0100100");  // ARRETDISK, PRINT
  ASSERT_TRUE(waitFor([&] { return d.session().recordCount() == 1; }, 4000));
  d.button(B::kArretDisk)->click();
  EXPECT_EQ(std::filesystem::file_size(dir.file("live.ech")), 2u + 1024u);
  EXPECT_EQ(labelText(d, "labelSecondLine"), QString::fromUtf8("Record n° 1"));

  d.reject();
  EXPECT_TRUE(d.session().closeRequested()) << "not closed before the unit is told";
  EXPECT_TRUE(d.session().isOpen());
  ASSERT_TRUE(waitFor([&] { return !d.session().isOpen(); }, 2000));
  EXPECT_EQ(d.result(), QDialog::Rejected);
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace flowdesk
