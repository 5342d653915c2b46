// SPDX-License-Identifier: GPL-3.0-or-later
// flowdesk-cli plot as an operator runs it: a logger file drawn to PNG and
// SVG (with series chosen by the names the window lists and a date range)
// with nothing on the standard error, and the mistakes refused with exit
// status 2 and one line.
#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <string>

#include "cli/CliRun.h"
#include "logger/LoggerFile.h"

namespace flowdesk {
namespace {

using testing::CliRun;

// 120 records a minute apart from 2024-03-05 10:00, with a V (m/s) slot.
void writeLog(const std::string& path) {
  ASSERT_TRUE(createLoggerFile(path, kLoggerRecordSize4).ok());
  Bytes data;
  for (int k = 0; k < 120; ++k) {
    Bytes r(kLoggerRecordSize4, 0);
    r[1] = 0x40 | 3;
    r[2] = 24;
    r[3] = 5;
    r[4] = static_cast<std::uint8_t>(10 + k / 60);
    r[5] = static_cast<std::uint8_t>(k % 60);
    const auto flow = std::bit_cast<std::uint32_t>(static_cast<float>(k % 17));
    for (int i = 0; i < 4; ++i) r[8 + i] = static_cast<std::uint8_t>(flow >> (24 - 8 * i));
    r[13] = 8;
    r[19] = 0xC0 | 20;  // status slots: no series
    r[25] = 0xC0 | 20;
    data.insert(data.end(), r.begin(), r.end());
  }
  int written = 0;
  ASSERT_TRUE(appendLoggerRecords(path, 1, kLoggerRecordSize4, data, 120, written).ok());
}

TEST(PlotCli, DrawsALoggerFileAndRefusesMistakes) {
  CliRun run;
  writeLog(run.dir.file("m.log"));
  const struct Case {
    std::vector<std::string> args;
    int status;
    const char* file;  // written, with this start
    const char* head;
    const char* err;  // in the error line
  } cases[] = {
      {{"plot", "m.log", "-o", "m.png"}, 0, "m.png", "\x89PNG", ""},
      {{"plot", "m.log", "-o", "m.svg", "--series", "V", "--from", "2024-03-05 10:30", "--to",
        "2024-03-05 11:00", "--lang", "en"},
       0,
       "m.svg",
       "<?xml",
       ""},
      {{"plot", "m.log", "-o", "m2.png", "--series", "Average flow (m3/h),V (m/s)", "--lang", "en"},
       0,
       "m2.png",
       "\x89PNG",
       ""},
      {{"plot", "m.log", "-o", "x.png", "--series", "Speed", "--lang", "en"},
       2,
       nullptr,
       "",
       "Unknown series: Speed (the file's series: Average flow (m3/h), V (m/s))"},
      {{"plot", "m.log", "-o", "x.jpg", "--lang", "en"},
       2,
       nullptr,
       "",
       "plot writes .png or .svg images: x.jpg"},
      {{"plot", "m.log", "-o", "x.png", "--from", "5 March", "--lang", "en"},
       2,
       nullptr,
       "",
       "Unreadable date: 5 March"},
      {{"plot", "m.log", "-o", "x.png", "--from", "2025-01-01", "--lang", "en"},
       2,
       nullptr,
       "",
       "No record between these dates"},
      {{"plot", "m.log"}, 2, nullptr, "", "-o"},
      {{"plot", "missing.log", "-o", "x.png"}, 2, nullptr, "", "missing.log"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[c.args.size() > 4 ? 4 : 1]);
    // No runtime folder, as over ssh or in a service: Qt's start-up must not
    // speak on the standard error of a command that worked.
    const testing::Finished f = run.cli(c.args, {{"XDG_RUNTIME_DIR", ""}});
    EXPECT_EQ(f.status, c.status) << f.err;
    EXPECT_NE(f.err.find(c.err), std::string::npos) << f.err;
    if (c.status == 0) {
      EXPECT_EQ(f.err, "");
    }
    EXPECT_FALSE(std::filesystem::exists(run.dir.file("x.jpg")));
    if (c.file != nullptr) {
      const std::string bytes = testing::wholeFile(run.dir.file(c.file));
      EXPECT_EQ(bytes.substr(0, 4), std::string(c.head, 4));
      EXPECT_GT(bytes.size(), 1000u);
    }
  }
}

}  // namespace
}  // namespace flowdesk
