// SPDX-License-Identifier: GPL-3.0-or-later
// The logger viewer and its download against the virtual unit: in-process
// behind an in-memory line on a manual clock, then flowdesk-cli's download
// against flowdesk-unit on its own pseudo-terminal.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cli/CliRun.h"
#include "link/AppContext.h"
#include "logger/LoggerViewerSession.h"
#include "support/Frames.h"
#include "support/ManualClock.h"
#include "support/MemorySerialDriver.h"
#include "support/Processes.h"
#include "support/TestFiles.h"
#include "unit/VirtualUnit.h"

namespace flowdesk {
namespace {

using testing::fileBytes;
using testing::TempDir;
using Tick = LoggerTick;

struct LoggerRig {
  ManualClock clock;
  DeviceImage image;
  AppContext app{clock, image};
  std::shared_ptr<MemoryLine> line = std::make_shared<MemoryLine>(clock);
  unit::VirtualUnit unit;
  std::vector<int> recordStarts;  // start index of every function-4 request
  int silentRequests = 0;         // the next requests go unanswered

  explicit LoggerRig(unit::UnitSettings settings) : unit(settings, [] { return 1.7e9; }) {
    line->onWrite = [this](MemoryLine& l) {
      const Bytes request = l.takeRequest();
      if (request.size() < 8) return;
      if (request[1] == 4) recordStarts.push_back(request[2] << 8 | request[3]);
      if (silentRequests > 0) {
        --silentRequests;
        return;
      }
      if (auto reply = unit.handle(request)) l.deliverAtBaud(*reply, 9600, 5);
    };
    app.master.setPortOpener(memoryPortOpener(line));
    app.settings.Com = 0;
    app.settings.Jbus = 1;
    app.settings.Bauds = 5;
  }
  static unit::UnitSettings logger(int type, long records) {
    unit::UnitSettings s;
    s.configs = 18;
    s.loggerType = type;
    s.loggerRecords = records;
    return s;
  }
  // The stored record the unit serves at `index`, asked for on its own.
  Bytes stored(int index) {
    const auto reply = unit.handle(testing::withCrc(
        {1, 4, static_cast<std::uint8_t>(index >> 8), static_cast<std::uint8_t>(index), 0, 1}));
    return Bytes(reply->begin(), reply->end() - 2);
  }
};

// Ticks until the timer stops or `limit` ticks have run; the outcomes.
std::vector<Tick> tickUntilStopped(LoggerViewerSession& s, int limit = 2000) {
  std::vector<Tick> ticks;
  while (s.timerMs() != LoggerViewerSession::kTimerStopped && limit-- > 0)
    ticks.push_back(s.tick());
  return ticks;
}

TEST(LoggerEndToEnd, DownloadHoldsEveryRecordFromTheOldest) {
  struct Case {
    int type;
    long records;
    Bytes header;
    std::size_t recordSize;
  } cases[] = {
      {4, 40, {0x22, 0x00}, 31},
      {9, 40, {0x41, 0x00}, 62},
      {4, 1, {0x22, 0x00}, 31},  // the oldest record is index 0: one record, not none
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    TempDir dir;
    LoggerRig rig(LoggerRig::logger(c.type, c.records));
    LoggerViewerSession s(rig.app, {});
    ASSERT_TRUE(s.openUnit());
    tickUntilStopped(s);
    ASSERT_EQ(s.recordSize(), c.recordSize);
    const std::string path = dir.file("a.log");
    ASSERT_TRUE(s.startDownload(path));
    const std::vector<Tick> ticks = tickUntilStopped(s);
    ASSERT_FALSE(ticks.empty());
    EXPECT_EQ(s.recording(), Recording::kOff);

    Bytes expected = c.header;
    for (int i = 0; i < c.records; ++i) {
      const Bytes r = rig.stored(i);
      expected.insert(expected.end(), r.begin(), r.end());
    }
    EXPECT_EQ(fileBytes(path), expected);
    EXPECT_EQ(s.recordsDownloaded(), c.records);
    EXPECT_EQ(s.download().recordsToDo, c.records);
    EXPECT_EQ(s.download().recordsDone, c.records);
    // Back on the saved page, loaded again, the download window closed.
    EXPECT_EQ(s.page(), 0);
    EXPECT_TRUE(s.screen().shown(LoggerControl::kSaveDisk));
    EXPECT_FALSE(s.screen().shown(LoggerControl::kArretDisk));
  }
}

TEST(LoggerEndToEnd, DownloadEndsOnAnEmptyRecordOrAFileFault) {
  struct Case {
    long records;
    bool writable;
    std::vector<Tick> firstTicks;
    long long stored;
  } cases[] = {
      // Records 0 to 2 then the empty mark in the answer's fourth place.
      {3, true, {Tick::kDownloadEnded}, 3},
      {20, true, {Tick::kDownloading, Tick::kDownloading, Tick::kDownloadEnded}, 20},
      // A file that cannot be made stops at once, with the reason.
      {20, false, {Tick::kDownloadFailed}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.records);
    TempDir dir;
    LoggerRig rig(LoggerRig::logger(4, c.records));
    LoggerViewerSession s(rig.app, {});
    ASSERT_TRUE(s.openUnit());
    tickUntilStopped(s);
    const std::string path = c.writable ? dir.file("a.log") : dir.file("missing/a.log");
    ASSERT_TRUE(s.startDownload(path));
    std::vector<Tick> ticks;
    for (std::size_t i = 0; i < c.firstTicks.size(); ++i) ticks.push_back(s.tick());
    EXPECT_EQ(ticks, c.firstTicks);
    EXPECT_EQ(s.recording(), Recording::kOff);
    EXPECT_EQ(s.recordsDownloaded(), c.stored);
    EXPECT_EQ(s.downloadResult().ok(), c.writable) << s.downloadResult().message(kEnglish);
    if (c.writable) {
      EXPECT_EQ(fileBytes(path).size(), static_cast<std::size_t>(2 + 34 * c.stored));
    }
  }
}

TEST(LoggerEndToEnd, ADownloadSaysWhileTheUnitIsSilentAndResumesWithoutGapsOrDoubles) {
  TempDir dir;
  LoggerRig rig(LoggerRig::logger(4, 30));
  LoggerViewerSession s(rig.app, {});
  s.setLanguage(kEnglish);
  ASSERT_TRUE(s.openUnit());
  tickUntilStopped(s);
  const std::string path = dir.file("a.log");
  ASSERT_TRUE(s.startDownload(path));
  EXPECT_EQ(s.tick(), Tick::kDownloading);
  rig.silentRequests = 2 * 3;  // a fetch tries three times before it fails
  EXPECT_EQ(s.tick(), Tick::kFetchFailed);
  EXPECT_EQ(s.tick(), Tick::kFetchFailed);
  EXPECT_EQ(s.download().failure, "Communication Failure \u2014 no answer");
  EXPECT_EQ(s.download().failedFetches, 2);
  EXPECT_EQ(s.screen().topLine, s.download().failure) << "the page says it too";
  EXPECT_EQ(s.timerMs(), LoggerViewerSession::kRetryMs) << "no spinning on a vanished device";
  EXPECT_EQ(s.download().recordsDone, 8);
  EXPECT_EQ(s.tick(), Tick::kDownloading);
  EXPECT_EQ(s.timerMs(), LoggerViewerSession::kTickMs);
  EXPECT_TRUE(s.download().failure.empty());
  EXPECT_TRUE(s.screen().topLine.empty());
  EXPECT_EQ(s.download().failedFetches, 0);
  tickUntilStopped(s);
  Bytes expected = {0x22, 0x00};
  for (int i = 0; i < 30; ++i) {
    const Bytes r = rig.stored(i);
    expected.insert(expected.end(), r.begin(), r.end());
  }
  EXPECT_EQ(fileBytes(path), expected);
}

TEST(LoggerEndToEnd, UnitPagesNavigationAndOpening) {
  LoggerRig rig(LoggerRig::logger(4, 60));
  LoggerViewerSession s(rig.app, {});
  ASSERT_TRUE(s.openUnit());
  tickUntilStopped(s);
  // One record to learn the layout, then 8 at a time from the next row.
  EXPECT_EQ(rig.recordStarts, (std::vector<int>{0, 1, 9, 17, 25}));
  EXPECT_EQ(s.grid().cells[25][0], "26");
  EXPECT_FALSE(s.screen().shown(LoggerControl::kPgu));
  EXPECT_TRUE(s.screen().shown(LoggerControl::kPgd));

  struct Step {
    LoggerNavigation nav;
    std::string field;
    int page;
    std::string firstCell;
  } steps[] = {
      {LoggerNavigation::kPgd, "", 1, "27"},   {LoggerNavigation::kEnd, "", 2, "53"},
      {LoggerNavigation::kPgd, "", 2, "53"},  // the last page already
      {LoggerNavigation::kHome, "", 0, "01"},  {LoggerNavigation::kGo, "30", 1, "27"},
      {LoggerNavigation::kGo, "999", 2, "53"},  // beyond the end: the last page
  };
  for (const Step& step : steps) {
    s.navigate(step.nav, step.field);
    tickUntilStopped(s);
    EXPECT_EQ(s.page(), step.page);
    EXPECT_EQ(s.grid().cells[0][0], step.firstCell);
  }
  EXPECT_TRUE(s.grid().cells[8][0].empty()) << "60 records: the last page holds 8";

  LoggerRig noLogger(unit::UnitSettings{});
  LoggerViewerSession closed(noLogger.app, {});
  EXPECT_FALSE(closed.openUnit());
  EXPECT_FALSE(closed.isOpen());
}

TEST(LoggerEndToEnd, CliDownload) {
  testing::CliRun run;
  const std::string link = run.dir.file("unit");
  testing::UnitProcess unit({"--link", link, "--configs", "18", "--logger-records", "40"});
  ASSERT_FALSE(unit.device().empty());
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out;
    std::size_t size;
  } cases[] = {
      {{"download", "a.log"}, 0, "40 record(s) in a.log\n", 2 + 40 * 34},
      // From the second page: the record its first row shows (index 26) onwards.
      {{"download", "b.log", "--page", "1"}, 0, "14 record(s) in b.log\n", 2 + 14 * 34},
      {{"download", "c.mes"}, 2, "", 0},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args{"--device", link, "--lang", "en"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const testing::Finished f = run.cli(args);
    EXPECT_EQ(f.status, c.status) << f.err;
    EXPECT_EQ(f.out, c.out);
    if (c.status != 0) continue;
    EXPECT_NE(f.err.find('\r'), std::string::npos) << "the progress line redraws itself";
    EXPECT_EQ(fileBytes(run.dir.file(c.args[1])).size(), c.size);
  }
  EXPECT_EQ(unit.terminate(), 0);
}

}  // namespace
}  // namespace flowdesk
