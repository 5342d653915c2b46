// SPDX-License-Identifier: GPL-3.0-or-later
// The connection page finding the virtual unit as flowdesk --virtual-unit
// starts it: Connect scans the ports and rates, then shows the port, rate,
// device and address of the unit it found.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/qt/VirtualUnitProcess.h"
#include "link/AppContext.h"
#include "link/qt/ConnectionDialog.h"
#include "support/FakeUserInterface.h"
#include "support/ScreenProbes.h"

namespace flowdesk {
namespace {

using Icon = UserInterface::Icon;

using testing::child;

TEST(ConnectionPage, ConnectFindsTheVirtualUnitAndShowsItsAddress) {
  VirtualUnitProcess unit;
  ASSERT_TRUE(unit.start(QStringLiteral(FLOWDESK_UNIT_BIN), {"--baud", "300", "--address", "17"}))
      << unit.errorText().toStdString();
  AppContext context;
  // Com1 leads nowhere; the unit is on Com2 at 300 baud.
  context.deviceOverride = {"/nonexistent/ttyA", unit.devicePath().toStdString(),
                            "/nonexistent/ttyC", ""};
  context.settings.Com = 3;
  context.settings.Bauds = 5;
  context.settings.Jbus = 1;
  context.master.markIdentified();
  ConnectionDialog page(context);
  testing::FakeUserInterface ui;

  child<QPushButton>(page, "buttonConnect")->click();

  // Com1 at its six rates, then Com2 at the first
  EXPECT_EQ(ui.progressShown, 1);
  ASSERT_EQ(ui.progressSteps.size(), 7u);
  EXPECT_EQ(ui.progressSteps.front(), "Com1  300");
  EXPECT_EQ(ui.progressSteps[5], "Com1  9600");
  EXPECT_EQ(ui.progressSteps.back(), "Com2  300");
  const auto& messages = ui.messages;
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].icon, Icon::kInformation);
  EXPECT_EQ(messages[0].caption, "DETECTION UNITE");
  EXPECT_EQ(messages[0].text, "La détection à reussi");
  EXPECT_EQ(context.settings.Com, 1);
  EXPECT_EQ(context.settings.Bauds, 0);
  EXPECT_FLOAT_EQ(context.settings.Jbus, 17);
  EXPECT_EQ(child<QLineEdit>(page, "editAddress")->text(), "17");
  EXPECT_EQ(child<QComboBox>(page, "comboPort")->currentText(), "Com2");
  EXPECT_EQ(child<QComboBox>(page, "comboBauds")->currentText(), "300");
  EXPECT_EQ(child<QComboBox>(page, "comboDevice")->currentText(), unit.devicePath());
  // the next exchange identifies the unit found
  EXPECT_FALSE(context.master.identified());
  EXPECT_FALSE(page.busy());
}

}  // namespace
}  // namespace flowdesk
