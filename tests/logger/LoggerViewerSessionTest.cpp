// SPDX-License-Identifier: GPL-3.0-or-later
// The logger viewer on logger files: paging, navigation, the grid's columns
// and cells. The unit mode and the download run against the virtual unit in
// tests/cli.
#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

#include "link/JbusMaster.h"
#include "logger/LoggerFile.h"
#include "logger/LoggerViewerSession.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::TempDir;
using C = LoggerControl;
using N = LoggerNavigation;

// A record of `size` bytes: day 5, a real T1 in the first slot.
Bytes record(std::size_t size, int point) {
  Bytes r(size, 0);
  r[0] = static_cast<std::uint8_t>(point);
  r[1] = 3;
  r[3] = 5;
  r[13] = 17;  // T1(°C), real
  const auto v = std::bit_cast<std::uint32_t>(25.0f);
  for (int k = 0; k < 4; ++k) r[14 + static_cast<std::size_t>(k)] = (v >> (24 - 8 * k)) & 0xFF;
  r[18] = 90;
  return r;
}

std::string loggerFile(const TempDir& dir, int records, std::size_t size = 31) {
  const std::string path = dir.file("f.log");
  EXPECT_TRUE(createLoggerFile(path, size).ok());
  for (int i = 0; i < records; ++i) {
    int written = 0;
    EXPECT_TRUE(appendLoggerRecords(path, 1, size, record(size, i % 200), 1, written).ok());
  }
  return path;
}

TEST(LoggerViewerSession, FilePagesAndNavigation) {
  struct Step {
    N nav;
    const char* field;
    bool changed;
    int page;
    int rowsShown;
    std::vector<C> shown, hidden;
  };
  struct Case {
    int records;
    std::vector<Step> steps;
  } cases[] = {
      {26,
       {{N::kPgd, "", false, 0, 26, {C::kPrint, C::kTableur, C::kGo}, {C::kPgd, C::kEnd, C::kPgu}},
        {N::kGo, "100", true, 0, 26, {}, {C::kPgd, C::kHome}}}},
      {27,
       {{N::kPgd, "", true, 1, 1, {C::kPgu, C::kHome}, {C::kPgd, C::kEnd}},
        {N::kPgd, "", false, 1, 1, {}, {}},  // the last page already
        {N::kHome, "", true, 0, 26, {C::kPgd, C::kEnd}, {C::kPgu, C::kHome}},
        {N::kGo, "28", true, 1, 1, {}, {}},  // beyond the end: the last page
        {N::kGo, "abc", true, 0, 26, {}, {}},
        {N::kGo, "-3", true, 0, 26, {}, {}},
        {N::kEnd, "", true, 1, 1, {}, {}},
        {N::kPgu, "", true, 0, 26, {}, {}}}},
      {0, {{N::kEnd, "", true, 0, 0, {}, {C::kPgd, C::kPgu}}}},
  };
  JbusMaster master;
  for (const Case& c : cases) {
    TempDir dir;
    LoggerViewerSession s(master, kEnglish, {});
    ASSERT_TRUE(s.openFile(loggerFile(dir, c.records)).ok());
    EXPECT_EQ(s.screen().totalValue, std::to_string(c.records));
    EXPECT_EQ(s.timerMs(), LoggerViewerSession::kTimerStopped) << "file mode has no timer";
    for (const Step& step : c.steps) {
      SCOPED_TRACE(std::to_string(c.records) + " " + step.field);
      EXPECT_EQ(s.navigate(step.nav, step.field), step.changed);
      EXPECT_EQ(s.page(), step.page);
      EXPECT_EQ(s.row(), step.rowsShown);
      const auto& cells = s.grid().cells;
      if (step.rowsShown > 0) {
        EXPECT_EQ(cells[0][0], std::to_string(step.page * 26 + 1).insert(0, step.page ? "" : "0"));
      }
      if (step.rowsShown < 26) {
        EXPECT_TRUE(cells[static_cast<std::size_t>(step.rowsShown)][0].empty());
      }
      EXPECT_EQ(s.screen().recordField, std::to_string(step.page * 26 + 1));
      for (C shown : step.shown) EXPECT_TRUE(s.screen().shown(shown));
      for (C hidden : step.hidden) EXPECT_FALSE(s.screen().shown(hidden));
    }
  }
}

TEST(LoggerViewerSession, GridColumnsAndCells) {
  struct Case {
    std::size_t size;
    Language language;
    std::vector<std::string> titles;
    std::string slotCell;
  } cases[] = {
      {31,
       kFrench,
       {"N°", "Date Heure", "      Débit", "ENR. 2", "ENR. 3", "ENR. 4", "Point", "M"},
       "T1(°C)  =   25.00 (090%)"},
      {62,
       kEnglish,
       {"N°", "Date Time", "      Flow", "REC. 2", "REC. 3", "REC. 4", "REC. 5", "REC. 6", "REC. 7",
        "REC. 8", "REC. 9", "Point", "M"},
       "T1(°C)  =   25.00 (090%)"},
  };
  JbusMaster master;
  for (const Case& c : cases) {
    TempDir dir;
    LoggerViewerSession s(master, c.language, {});
    ASSERT_TRUE(s.openFile(loggerFile(dir, 3, c.size)).ok());
    std::vector<std::string> titles;
    for (const LoggerColumn& col : s.grid().columns) titles.push_back(col.title);
    EXPECT_EQ(titles, c.titles);
    const std::vector<std::string>& row = s.grid().cells[1];
    EXPECT_EQ(row[0], "02");
    EXPECT_EQ(row[1], "05/03/2000 00:00:00");
    EXPECT_EQ(row[2], "   0.000   l/s (  0%)");
    EXPECT_EQ(row[3], c.slotCell) << "the name is padded to 8 characters, not bytes";
    EXPECT_EQ(row[4], "Vol(l)  =   0.000 (000%)") << "a slot of zeros is a real 0";
    EXPECT_EQ(row[titles.size() - 2], "1");
    EXPECT_EQ(row.back(), "");
    EXPECT_EQ(s.grid().columns[1].widthSample, "00/00/000000:00:00 WW");
  }
}

TEST(LoggerViewerSession, RecordFieldAndPadding) {
  struct Case {
    const char* text;
    long long n;
  } cases[] = {{"27", 27}, {" 12abc", 12}, {"abc", 0},
               {"", 0},    {"-4", -4},     {"99999999999", 2147483647}};
  for (const Case& c : cases) EXPECT_EQ(recordFieldNumber(c.text), c.n) << c.text;
  EXPECT_EQ(padded("T1(°C) ", 8, false), "T1(°C)  ");
  EXPECT_EQ(padded("m3/h", 5, true), " m3/h");
  EXPECT_EQ(padded("123456789", 8, true), "123456789");
}

}  // namespace
}  // namespace flowdesk
