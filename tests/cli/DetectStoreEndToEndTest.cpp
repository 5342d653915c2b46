// SPDX-License-Identifier: GPL-3.0-or-later
// flowdesk-cli's detect run in-process against flowdesk-unit on its own
// pseudo-terminal: what it found goes into the settings store it is given,
// and a store that cannot be written is said without failing the detection.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <variant>

#include "cli/InProcessCli.h"
#include "support/Processes.h"

namespace flowdesk {
namespace {

using Cli = testing::InProcessCli;

TEST(Cli, ADetectKeepsWhatItFoundInTheStoreItIsGiven) {
  Cli cli;
  testing::UnitProcess unit({"--link", cli.file("unit"), "--address", "7", "--baud", "300"});
  ASSERT_FALSE(unit.device().empty());
  cli.settings.values = {
      {{"", "Device1"}, cli.file("unit")}, {{"", "Com"}, 2}, {{"Probe", "0"}, std::string("Mine")}};
  ASSERT_EQ(cli.run({"detect"}), 0) << cli.err;
  EXPECT_EQ(cli.out, "Com1 300 7 " + cli.file("unit") + "\n");
  using Number = std::int32_t;
  EXPECT_EQ(std::get<Number>(cli.settings.values[{"", "Com"}]), 0);
  EXPECT_EQ(std::get<Number>(cli.settings.values[{"", "Jbus"}]), 7);
  EXPECT_EQ(std::get<Number>(cli.settings.values[{"", "Bauds"}]), 0);

  cli.settings.failWrites = true;
  EXPECT_EQ(cli.run({"--lang", "en", "detect"}), 0) << "the unit was found all the same";
  EXPECT_EQ(cli.err, "flowdesk-cli: settings not saved\n");
}

}  // namespace
}  // namespace flowdesk
