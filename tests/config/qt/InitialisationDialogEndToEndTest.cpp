// SPDX-License-Identifier: GPL-3.0-or-later
// The initialisation dialog and its sequence against flowdesk-unit on its
// pseudo-terminal: the boxes choose the groups, "Oui" runs the exchanges,
// "Non" writes nothing and a silent unit shows nothing.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "config/InitialisationSession.h"
#include "config/qt/InitialisationDialog.h"
#include "link/AppContext.h"
#include "support/BoundControls.h"
#include "support/FakeUserInterface.h"
#include "support/Processes.h"
#include "support/ScreenProbes.h"

namespace flowdesk {
namespace {

using testing::child;

TEST(InitialisationDialog, BoxesChooseTheGroupsAndTheSequenceRunsOnYes) {
  testing::UnitProcess unit({"--configs", "2"});
  ASSERT_FALSE(unit.device().empty());
  DeviceImage image;
  AppContext context{systemClock(), image};
  context.deviceOverride[0] = unit.device();
  context.settings.Com = 0;
  context.settings.Bauds = 5;
  context.settings.Jbus = 1;
  context.settings.Language = languageIndex(kEnglish);

  InitialisationDialog dialog(context);
  InitialisationSession& session = dialog.session();
  EXPECT_TRUE(
      testing::boundControlsInUi(dialog.bindings(), "src/config/qt/InitialisationDialog.ui"));
  EXPECT_EQ(dialog.windowTitle(), "UPLOAD");
  EXPECT_EQ(session.choice, (InitialisationChoice{true, true, true}));
  child<QCheckBox>(&dialog, "checkFactory")->click();
  EXPECT_EQ(session.choice, (InitialisationChoice{true, false, true}));
  EXPECT_EQ(child<QCheckBox>(&dialog, "checkMaker")->text(), "NOR&VADINE Settings");

  // As the Initialisation command opens it.
  const auto initialise = [&context] {
    InitialisationDialog screen(context);
    if (screen.open(ScreenSource::unit())) userInterface().runDialog(screen);
  };
  const auto press = [](const char* button) {
    return [button](QDialog& d) {
      d.findChild<QPushButton*>(QString::fromLatin1(button))->click();
      return d.result();
    };
  };
  testing::FakeUserInterface ui;
  ui.dialogRunner = [&press](QDialog& d) {
    d.findChild<QCheckBox*>(QStringLiteral("checkMaker"))->click();
    return press("buttonYes")(d);
  };
  initialise();
  EXPECT_EQ(ui.dialogsRun.size(), 1u);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ui.progressSteps,
            std::vector<QString>({"Setup Time", "Upload Factory Settings", "Reset Information",
                                  "Upload Configuration n°  0", "Upload Configuration n°  1"}));

  // "Non" writes nothing; a unit that is gone shows nothing but why.
  testing::FakeUserInterface refused;
  refused.dialogRunner = press("buttonNo");
  initialise();
  EXPECT_EQ(refused.dialogsRun.size(), 1u);
  EXPECT_EQ(refused.progressShown, 1) << "the read of the model word only";
  EXPECT_EQ(unit.terminate(), 0);
  testing::FakeUserInterface gone;
  initialise();
  EXPECT_TRUE(gone.dialogsRun.empty());
  ASSERT_EQ(gone.messages.size(), 1u);
  EXPECT_NE(gone.messages[0].text.toStdString().find("since it was last used (adapter unplugged?)"),
            std::string::npos)
      << gone.messages[0].text.toStdString();
}

}  // namespace
}  // namespace flowdesk
