// SPDX-License-Identifier: GPL-3.0-or-later
// flowdesk-cli's save calibration, upload and compare against flowdesk-unit
// on its own pseudo-terminal.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliRun.h"
#include "support/Processes.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::fileBytes;
using testing::Finished;
using testing::TempDir;

using testing::CliRun;

std::string stepLines(int first, int last) {
  std::string out;
  for (int k = first; k <= last; ++k) out += "Upload Configuration n°  " + std::to_string(k) + "\n";
  return out;
}

TEST(ConfigurationCliEndToEnd, SaveCompareAndUploadAllConfigurations) {
  CliRun run;
  testing::UnitProcess unit({"--configs", "18"});
  ASSERT_FALSE(unit.device().empty());
  const std::vector<std::string> link = {"--device", unit.device(), "--lang", "en"};
  const auto with = [&](std::vector<std::string> args) {
    args.insert(args.begin(), link.begin(), link.end());
    return args;
  };

  Finished f = run.cli(with({"save", "calibration", "five.eta", "--config", "5"}));
  ASSERT_EQ(f.status, 0) << f.err;
  EXPECT_EQ(f.out, "five.eta\n");
  EXPECT_EQ(fileBytes(run.dir.file("five.eta")).size(), 436u);

  f = run.cli(with({"compare", "five.eta", "--config", "5"}));
  ASSERT_EQ(f.status, 0) << f.err;
  EXPECT_EQ(f.out, "Deviation.prn\n");
  const std::string report = testing::wholeFile(run.dir.file("Deviation.prn"));
  EXPECT_NE(report.find("\n\nNone deviation between Unit and File\n"), std::string::npos) << report;

  f = run.cli(with({"upload", "five.eta", "--config", "all", "--clock", "--reset", "1,3"}));
  ASSERT_EQ(f.status, 0) << f.err;
  EXPECT_EQ(f.err, "Setup Time\nReset Information\n" + stepLines(0, 17));
  EXPECT_EQ(f.out, "Configuration(s) written: 0 - 17\n");
  EXPECT_EQ(unit.terminate(), 0);
}

TEST(ConfigurationCliEndToEnd, AFailureAtConfigurationThreeLeavesTheFirstThree) {
  CliRun run;
  ASSERT_EQ(run.cli({"new", "n.eta"}).status, 0);
  // Three identification reads and the model word come first, so the unit
  // goes quiet from the write of configuration 3 on.
  testing::UnitProcess unit({"--configs", "18", "--faults", "silent>=8"});
  const Finished f =
      run.cli({"--device", unit.device(), "--lang", "en", "upload", "n.eta", "--config", "all"});
  EXPECT_EQ(f.status, 1);
  EXPECT_EQ(f.err, stepLines(0, 3) +
                       "flowdesk-cli: Upload Failure: Configuration(s) written and "
                       "acknowledged: 0 - 2; Configuration 3 may or may not have been written: "
                       "its acknowledgement was lost or garbled; Configuration(s) not sent: "
                       "4 - 17 (no answer)\n");
  EXPECT_TRUE(f.out.empty());
}

TEST(ConfigurationCliEndToEnd, SpecialProbeUploadAndInitialisation) {
  CliRun run;
  testing::UnitProcess unit({"--configs", "2"});
  ASSERT_FALSE(unit.device().empty());
  const std::vector<std::string> link = {"--device", unit.device(), "--lang", "en", "--maker"};
  const auto with = [&](std::vector<std::string> args) {
    args.insert(args.begin(), link.begin(), link.end());
    return args;
  };
  ASSERT_EQ(run.cli(with({"new", "p.csp540"})).status, 0);
  Finished f = run.cli(with({"upload", "p.csp540", "--sp2"}));
  ASSERT_EQ(f.status, 0) << f.err;
  EXPECT_EQ(f.out, "SP N°1 -> SP2\n");

  f = run.cli(with({"init", "--factory-settings", "--calibration"}));
  ASSERT_EQ(f.status, 0) << f.err;
  EXPECT_EQ(f.err, "Setup Time\nUpload Factory Settings\nReset Information\n" + stepLines(0, 1));
  EXPECT_EQ(f.out, "Unit initialised, 5 writes\n");
  EXPECT_EQ(unit.terminate(), 0);
}

TEST(ConfigurationCliEndToEnd, UsageFileAndUnitFailures) {
  CliRun run;
  ASSERT_EQ(run.cli({"new", "n.eta"}).status, 0);
  testing::putFile(run.dir.file("short.csp540"), std::vector<std::uint8_t>(9, 0));
  testing::UnitProcess unit({"--configs", "2"});
  const std::string nothing = run.dir.file("nothing");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  } cases[] = {
      {{"upload", "n.eta", "--reset", "4"}, 2, "--reset wants totalizer numbers 1, 2 or 3"},
      {{"upload", "n.eta", "--reset", "1,,2"}, 2, "--reset wants totalizer numbers 1, 2 or 3"},
      {{"upload", "n.log"}, 2, "upload sends a .eta, .rus, .nvd or .csp540 file: n.log"},
      {{"upload", "n.rus"}, 2, "a .rus file needs --factory"},
      {{"--factory", "upload", "n.rus", "--clock"}, 2, "--clock and --reset go with a .eta"},
      {{"upload", "n.eta", "--sp2"}, 2, "--sp1 and --sp2 go with a .csp540 file"},
      {{"upload", "short.csp540"}, 2, "File too short"},
      {{"upload", "short.csp540", "--clock"}, 2, "--clock and --reset go with a .eta"},
      {{"init"}, 2, "init needs --maker"},
      {{"--maker", "init", "n.eta"}, 2, "init takes no file name"},
      {{"--maker", "--device", nothing, "init"}, 3, nothing + " does not exist"},
      {{"upload", "missing.eta"}, 2, "missing.eta"},
      {{"--device", unit.device(), "upload", "n.eta", "--config", "2"},
       2,
       "--config wants all or a number from 0 to 1"},
      {{"--device", unit.device(), "save", "calibration", "c.eta", "--config", "2"},
       2,
       "--config wants a number from 0 to 1"},
      {{"save", "factory", "f.rus"}, 2, "a .rus file needs --factory"},
      {{"save", "factory", "f.eta"}, 2, "save factory writes a .rus file"},
      {{"save", "settings", "f.eta"}, 2, "save wants: calibration FILE.eta, factory FILE.rus"},
      {{"compare", "n.log"}, 2, "compare reads a .eta or .rus file: n.log"},
      {{"compare", "n.nvd"}, 2, "compare reads a .eta or .rus file: n.nvd"},
      {{"--device", nothing, "compare", "n.eta"}, 3, nothing + " does not exist"},
      {{"--device", nothing, "upload", "n.eta"}, 3, "No unit: the file can be viewed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    std::vector<std::string> args = {"--lang", "en"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Finished f = run.cli(args);
    EXPECT_EQ(f.status, c.status);
    EXPECT_EQ(testing::countLines(f.err, "flowdesk-cli: "), 1) << f.err;
    EXPECT_NE(f.err.find(c.message), std::string::npos) << f.err;
    EXPECT_TRUE(f.out.empty());
  }
  EXPECT_FALSE(std::filesystem::exists(run.dir.file("c.eta")));
}

}  // namespace
}  // namespace flowdesk
