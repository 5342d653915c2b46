// SPDX-License-Identifier: GPL-3.0-or-later
// flowdesk-cli plot as an operator runs it: a logger file drawn to PNG and
// SVG (with series chosen by the names the window lists and a date range)
// with nothing on the standard error, and the mistakes refused with exit
// status 2 and one line.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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

// The picture is written as every file is: under the exact bytes of its
// name, keeping the permissions of the file it replaces, and on a full disk
// (here the file size limit, as `ulimit -f` sets it) not at all: status 2,
// the previous picture whole, no twin left.
TEST(PlotCli, WritesItsPictureAsEveryFileIsWritten) {
  enum Trouble { kNone, kFull };
  const struct Case {
    std::string out;
    Trouble trouble;
    int status;
    const char* err;
  } cases[] = {
      {"caf\xE9-\xFF.png", kNone, 0, ""},
      {"kept.svg", kNone, 0, ""},
      {"full.png", kFull, 2, "Cannot write the file"},
      {"full.svg", kFull, 2, "Cannot write the file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.out);
    CliRun run;
    writeLog(run.dir.file("m.log"));
    const std::string out = run.dir.file(c.out);
    const std::string old = "the previous picture";
    std::ofstream(out) << old;
    std::filesystem::permissions(
        out, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const std::vector<std::string> args{"plot", "m.log", "-o", c.out, "--lang", "en"};
    testing::Finished f;
    if (c.trouble == kFull) {
      // The command's own handling of the limit is what counts: the signal
      // the kernel sends for it is not ignored on its behalf. The child
      // passes on the status only when the error line says what failed.
      f.status = testing::runWithFileSizeLimit(4096, [&] {
        std::signal(SIGXFSZ, SIG_DFL);
        const testing::Finished child = run.cli(args);
        return child.err.find(c.err) != std::string::npos ? child.status : 100;
      });
    } else {
      f = run.cli(args);
      EXPECT_NE(f.err.find(c.err), std::string::npos) << f.err;
    }
    EXPECT_EQ(f.status, c.status) << f.err;
    std::vector<std::string> entries = run.dir.entries();
    // The folders the program makes for its settings and documents aside.
    std::erase_if(entries, [&](const std::string& e) {
      return std::filesystem::is_directory(run.dir.file(e));
    });
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{c.out, "m.log"})) << "exactly this name, no twin";
    const std::string bytes = testing::wholeFile(out);
    if (c.status != 0) {
      EXPECT_EQ(bytes, old);
      continue;
    }
    EXPECT_GT(bytes.size(), 1000u);
    EXPECT_EQ(std::filesystem::status(out).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  }
}

}  // namespace
}  // namespace flowdesk
