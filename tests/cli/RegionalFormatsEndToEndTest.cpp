// SPDX-License-Identifier: GPL-3.0-or-later
// flowdesk-cli reads the date, time and decimal conventions of the system
// locale, as the GUI does: the same logger file shows in the French or the
// American way depending on LC_ALL alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/Bytes.h"
#include "logger/LoggerFile.h"
#include "support/Processes.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::Finished;
using testing::runProgram;
using testing::TempDir;

// One logger record of 6 March 2004, 14:07:09, 12.5 m3/h at point 3.
Bytes afternoonRecord() {
  Bytes r(31, 0);
  r[0] = 3;
  r[1] = 0x80 | (4 << 4) | 3;  // month 3
  r[2] = 4;                    // 2004
  r[3] = 6;
  r[4] = 14;
  r[5] = 7;
  r[6] = 9;
  r[8] = 0x41;
  r[9] = 0x48;
  return r;
}

TEST(RegionalFormatsEndToEnd, ShowFollowsTheSystemLocale) {
  TempDir dir;
  const std::string log = dir.file("a.log");
  ASSERT_TRUE(createLoggerFile(log, 31).ok());
  int written = 0;
  ASSERT_TRUE(appendLoggerRecords(log, 1, 31, afternoonRecord(), 1, written).ok());
  // Saved settings with a catalogue: not a first run, so no data folder is
  // made beside the program.
  std::filesystem::create_directories(dir.file("config/flowdesk"));
  const std::string ini = "[Probe]\n0=Mine\n";
  testing::putFile(dir.file("config/flowdesk/flowdesk.ini"), {ini.begin(), ini.end()});

  const struct {
    const char* locale;
    const char* line;
  } cases[] = {
      // day first, 24-hour clock, decimal comma
      {"fr_FR.UTF-8", "1  06/03/2004 14:07:09  point 3    12,50 m3/h"},
      // month first, 12-hour clock, decimal point
      {"en_US.UTF-8", "1  03/06/2004 02:07:09 PM  point 3    12.50 m3/h"},
  };
  for (const auto& c : cases) {
    const Finished f = runProgram(FLOWDESK_CLI_BIN, {"--lang", "en", "show", log},
                                  {{"LC_ALL", c.locale},
                                   {"XDG_CONFIG_HOME", dir.file("config")},
                                   {"XDG_DATA_HOME", dir.file("data")},
                                   {"HOME", dir.path()}},
                                  dir.path());
    ASSERT_EQ(f.status, 0) << c.locale << ": " << f.err;
    EXPECT_NE(f.out.find(c.line), std::string::npos) << c.locale << ":\n" << f.out;
  }
  EXPECT_EQ(testing::wholeFile(dir.file("config/flowdesk/flowdesk.ini")), ini)
      << "showing a file keeps the settings as they were";
}

}  // namespace
}  // namespace flowdesk
