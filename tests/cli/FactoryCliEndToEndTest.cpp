// SPDX-License-Identifier: GPL-3.0-or-later
// flowdesk-cli's save, upload and compare of factory and maker settings
// against flowdesk-unit on its own pseudo-terminal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CliRun.h"
#include "support/Processes.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::CliRun;
using testing::fileBytes;
using testing::Finished;

TEST(FactoryCliEndToEnd, SaveCompareUploadAndCompareAgain) {
  CliRun run;
  testing::UnitProcess unit({});
  ASSERT_FALSE(unit.device().empty());
  const auto with = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--device", unit.device(), "--lang", "en", "--maker"});
    return args;
  };

  Finished f = run.cli(with({"save", "factory", "unit.rus"}));
  ASSERT_EQ(f.status, 0) << f.err;
  EXPECT_EQ(f.out, "unit.rus\n");
  std::vector<std::uint8_t> bytes = fileBytes(run.dir.file("unit.rus"));
  ASSERT_EQ(bytes.size(), 70u);
  EXPECT_EQ(bytes[0], 68);

  // One field changed in a copy: the contrast (block byte 64).
  const int unitContrast = bytes[2 + 64];
  bytes[2 + 64] = static_cast<std::uint8_t>(unitContrast == 70 ? 71 : 70);
  testing::putFile(run.dir.file("site.rus"), bytes);

  const struct {
    const char* file;
    std::string tail;
  } before[] = {
      {"unit.rus", "\n\nNone deviation between Unit and File\n"},
      {"site.rus", "\n\nName\tUnit Value\tFile Value\nContrast\t" + std::to_string(unitContrast) +
                       "\t" + std::to_string(bytes[2 + 64]) + "\n"},
  };
  for (const auto& c : before) {
    f = run.cli(with({"compare", c.file}));
    ASSERT_EQ(f.status, 0) << f.err;
    const std::string report = testing::wholeFile(run.dir.file(f.out.substr(0, f.out.size() - 1)));
    EXPECT_TRUE(report.ends_with(c.tail)) << c.file << "\n" << report;
  }

  f = run.cli(with({"upload", "site.rus"}));
  ASSERT_EQ(f.status, 0) << f.err;
  EXPECT_EQ(f.err, "Upload Factory Settings\n");
  EXPECT_EQ(f.out, "Factory Settings: written to the unit\n");
  f = run.cli(with({"compare", "site.rus"}));
  ASSERT_EQ(f.status, 0) << f.err;
  EXPECT_TRUE(testing::wholeFile(run.dir.file(f.out.substr(0, f.out.size() - 1)))
                  .ends_with("\n\nNone deviation between Unit and File\n"));

  // The maker settings: saved, shown, written back.
  f = run.cli(with({"save", "maker", "unit.nvd"}));
  ASSERT_EQ(f.status, 0) << f.err;
  EXPECT_EQ(fileBytes(run.dir.file("unit.nvd")).size(), 20u);
  f = run.cli(with({"show", "unit.nvd"}));
  EXPECT_EQ(f.status, 0) << f.err;
  EXPECT_NE(f.out.find("serial number"), std::string::npos) << f.out;
  f = run.cli(with({"upload", "unit.nvd"}));
  EXPECT_EQ(f.status, 0) << f.err;
  EXPECT_EQ(f.out, "NORVADINE Settings: written to the unit\n");
  EXPECT_EQ(unit.terminate(), 0);
}

TEST(FactoryCliEndToEnd, NoUnitAndBrokenFiles) {
  CliRun run;
  ASSERT_EQ(run.cli({"--maker", "new", "n.rus"}).status, 0);
  ASSERT_EQ(run.cli({"--maker", "new", "n.nvd"}).status, 0);
  // A length word announcing more than the block.
  testing::putFile(run.dir.file("long.rus"), std::vector<std::uint8_t>(72, 0x46));
  const std::string nothing = run.dir.file("nothing");
  const struct {
    std::vector<std::string> args;
    int status;
    std::string message;
  } cases[] = {
      {{"--device", nothing, "save", "factory", "f.rus"}, 3, nothing + " does not exist"},
      {{"--device", nothing, "save", "maker", "m.nvd"}, 3, nothing + " does not exist"},
      {{"--device", nothing, "compare", "n.rus"}, 3, nothing + " does not exist"},
      {{"--device", nothing, "upload", "n.nvd"}, 3, "Upload Failure"},
      {{"upload", "long.rus"}, 2, "long.rus"},
      {{"compare", "missing.rus"}, 2, "missing.rus"},
      {{"compare", "long.rus"}, 2, "long.rus"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    std::vector<std::string> args = {"--lang", "en", "--maker"};
    if (c.args.front() != "--device") args.insert(args.end(), {"--device", nothing});
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Finished f = run.cli(args);
    EXPECT_EQ(f.status, c.status);
    EXPECT_EQ(testing::countLines(f.err, "flowdesk-cli: "), 1) << f.err;
    EXPECT_NE(f.err.find(c.message), std::string::npos) << f.err;
    EXPECT_TRUE(f.out.empty());
  }
}

}  // namespace
}  // namespace flowdesk
