// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QString>
#include <string>
#include <vector>

#include "base/Texts.h"
#include "config/qt/ComparisonDisplay.h"
#include "link/AppContext.h"
#include "support/FakeUserInterface.h"
#include "support/ManualClock.h"

namespace flowdesk {
namespace {

using Icon = UserInterface::Icon;

// COMPARE of a window with a file that holds less than a block warns first,
// in the words the command line uses, whether or not the report then opens
// in a spreadsheet program; a whole block only names the report.
TEST(ComparisonDisplay, AShortFileIsSaidBeforeTheReport) {
  const struct Case {
    long long found;
    std::vector<Icon> icons;
  } cases[] = {{124, {Icon::kQuestion}}, {0, {Icon::kWarning}}, {1, {Icon::kWarning}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.found);
    ManualClock clock;
    DeviceImage image;
    AppContext context{clock, image};
    context.settings.Language = 1;
    ComparisonOutcome outcome;
    outcome.ok = true;
    outcome.reportPath = "/data/Deviation.prn";
    outcome.length = {c.found, 124};
    outcome.defaulted = {"Q Max", "Material"};
    testing::FakeUserInterface ui;
    showComparison(nullptr, context, outcome, kTxtCalibration);
    std::vector<Icon> icons;
    for (const auto& m : ui.messages) icons.push_back(m.icon);
    ASSERT_EQ(icons, c.icons);
    const std::string text = ui.messages.front().text.toStdString();
    EXPECT_NE(text.find("/data/Deviation.prn"), std::string::npos) << text;
    const bool said =
        text.ends_with("bytes: the other fields take their defaults (Q Max, Material)");
    EXPECT_EQ(said, c.found < 124) << text;
  }
}

}  // namespace
}  // namespace flowdesk
