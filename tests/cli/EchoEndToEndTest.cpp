// SPDX-License-Identifier: GPL-3.0-or-later
// flowdesk-cli's echo against flowdesk-unit on its own pseudo-terminal, and
// show of the echo file it wrote, with its pictures as PNG files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Bytes.h"
#include "cli/CliRun.h"
#include "support/Processes.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::CliRun;
using testing::fileBytes;

// Width and height from a PNG's header chunk, big-endian after the
// signature and the chunk's length and name.
std::pair<int, int> pngSize(const Bytes& png) {
  if (png.size() < 24 || png[1] != 'P' || png[12] != 'I') return {-1, -1};
  const auto at = [&](std::size_t i) {
    return png[i] << 24 | png[i + 1] << 16 | png[i + 2] << 8 | png[i + 3];
  };
  return {at(16), at(20)};
}

TEST(EchoEndToEnd, CliRecordsPicturesAndShowWritesThemAsPng) {
  CliRun run;
  const std::string link = run.dir.file("unit");
  testing::UnitProcess unit({"--link", link, "--echo-kinds", "2"});
  ASSERT_FALSE(unit.device().empty());

  testing::Finished f = run.cli(
      {"--device", link, "--lang", "en", "echo", "e.ech", "--screen", "2", "--images", "2"});
  ASSERT_EQ(f.status, 0) << f.err;
  EXPECT_EQ(f.out, "e.ech\n");
  EXPECT_EQ(f.err, "Record n° 1\nRecord n° 2\n");
  EXPECT_EQ(fileBytes(run.dir.file("e.ech")).size(), 2u + 2 * 1024u);

  f = run.cli({"--lang", "en", "show", "e.ech", "--png", "pictures"});
  ASSERT_EQ(f.status, 0) << f.err;
  EXPECT_NE(f.out.find("records: 2\n"), std::string::npos) << f.out;
  for (const char* name : {"pictures/e-0001.png", "pictures/e-0002.png"}) {
    EXPECT_NE(f.out.find(name), std::string::npos) << f.out;
    EXPECT_EQ(pngSize(fileBytes(run.dir.file(name))), std::make_pair(128, 64)) << name;
  }

  testing::putFile(run.dir.file("zero.ech"), Bytes{0, 0, 1, 2, 3, 4});
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  } cases[] = {
      {{"echo", "e.ech", "--screen", "3"},
       2,
       "no such screen on this unit: 3; screens: 1 (P1) 2 (Z1)"},
      {{"echo", "e.mes", "--screen", "1"}, 2, "echo writes a .ech file: e.mes"},
      {{"echo", "e.ech"}, 2, "echo wants --screen CODE"},
      {{"show", "zero.ech"}, 2, "Record size of 0 in the header"},
      {{"show", "zero.ech", "--png", "x"}, 2, "Record size of 0 in the header"},
      {{"show", "a.mes", "--png", "x"}, 2, "--png is for .ech files: a.mes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[1] + " " + c.args.back());
    std::vector<std::string> args{"--device", link, "--lang", "en"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    f = run.cli(args);
    EXPECT_EQ(f.status, c.status);
    EXPECT_NE(f.err.find(c.message), std::string::npos) << f.err;
  }
  EXPECT_EQ(unit.terminate(), 0);
}

TEST(EchoEndToEnd, AStopTheUnitRefusesIsAFailureThatSaysHowToEndIt) {
  // One picture takes eleven requests; the unit refuses the next nine, every
  // attempt the stop gets.
  CliRun run;
  const std::string link = run.dir.file("unit");
  testing::UnitProcess unit({"--link", link, "--faults", "exception@12-20"});
  ASSERT_FALSE(unit.device().empty());
  const testing::Finished f =
      run.cli({"--device", link, "--lang", "en", "echo", "e.ech", "--screen", "1"});
  EXPECT_EQ(f.status, 1);
  EXPECT_NE(f.err.find("may still be showing it"), std::string::npos) << f.err;
  EXPECT_EQ(f.out, "");
  EXPECT_EQ(unit.terminate(), 0);
}

}  // namespace
}  // namespace flowdesk
