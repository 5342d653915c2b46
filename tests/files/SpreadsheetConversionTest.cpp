// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion to spreadsheet text that every recorded file kind shares:
// the order of the work, the counters, the pacing of the progress display
// and the text file written as it goes, in place only once it is whole.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <string>
#include <vector>

#include "base/Bytes.h"
#include "files/SpreadsheetConversion.h"
#include "support/ManualClock.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::TempDir;

std::string wholeFile(const std::string& path) {
  const Bytes bytes = testing::fileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

// `total` records whose lines carry their number and a decimal point; it
// can fail at a record, and moves a clock 10 ms on per record.
struct FakeSource final : ConversionSource {
  long long total = 3;
  long long failAt = -1;
  bool lastFromFirst = true;
  ManualClock* clock = nullptr;

  FileResult open(const std::string&) override { return {}; }
  long long recordTotal() const override { return total; }
  FileResult titleLine(Language language, std::string& line) override {
    line = PrnLine().field("I.Q.").field(language == kFrench ? "Débit" : "Flow").title();
    return {};
  }
  FileResult convert(long long index, ConvertedRecord& out) override {
    if (index == failAt) return FileResult::failure(FileStatus::kReadFailed, "in", 5);
    if (clock) clock->advance(10);
    RegionalSettings regional;
    regional.decimalSeparator = ",";
    out.line = PrnLine().field(std::to_string(index + 1)).field("1.5").record(regional);
    out.dateTime = "day " + std::to_string(index);
    return {};
  }
  bool firstRecordIsLastDate() const override { return lastFromFirst; }
};

// The one entry of the folder besides the text, if there is one: the twin
// being written.
std::string twinOf(const TempDir& dir) {
  for (const std::string& name : dir.entries()) {
    if (name != "out.prn" && name.rfind(".out.prn.", 0) == 0) return dir.path() + "/" + name;
  }
  return {};
}

TEST(SpreadsheetConversion, LinesAreWrittenAsEachRecordIsConverted) {
  TempDir dir;
  const std::string out = dir.file("out.prn");
  testing::putFile(out, {'o', 'l', 'd', '\n'});
  FakeSource source;
  source.lastFromFirst = false;  // the logger's rule
  SpreadsheetConversion conversion(source, dir.file("in"), out, kFrench);
  std::string expected = "I.Q.\tDébit\t\n";  // a title keeps its dots
  const char* lastDates[] = {"", "day 1", "day 2"};
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(conversion.step().ok());
    expected += std::to_string(i + 1) + "\t1,5\t\n";
    if (i < 2) {
      EXPECT_EQ(wholeFile(twinOf(dir)), expected) << "each line is written once converted";
      EXPECT_EQ(wholeFile(out), "old\n") << "the previous text stays until the end";
    }
    EXPECT_EQ(conversion.counters().converted, i + 1);
    EXPECT_EQ(conversion.counters().firstDate, "day 0");
    EXPECT_EQ(conversion.counters().lastDate, lastDates[i]);
  }
  EXPECT_TRUE(conversion.finished());
  EXPECT_EQ(wholeFile(out), expected);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.prn"});

  // A conversion that fails or is dropped half way leaves the whole text it
  // would have replaced, and nothing else.
  ManualClock clock;
  source.failAt = 1;
  SpreadsheetConversion cut(source, dir.file("in"), out, kEnglish);
  EXPECT_EQ(cut.run(clock).status, FileStatus::kReadFailed);
  EXPECT_EQ(wholeFile(out), expected);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.prn"});
  source.failAt = -1;
  {
    SpreadsheetConversion dropped(source, dir.file("in"), out, kEnglish);
    ASSERT_TRUE(dropped.step().ok());
    ASSERT_FALSE(twinOf(dir).empty());
  }
  EXPECT_EQ(wholeFile(out), expected);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.prn"});

  // The twin a killed conversion left is cleared by the next one.
  const std::string stale = dir.file(".out.prn.Ab3xYz");
  testing::putFile(stale, {'1', '\t'});
  const timespec hourAgo[2] = {{std::time(nullptr) - 3600, 0}, {std::time(nullptr) - 3600, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, stale.c_str(), hourAgo, 0), 0);
  SpreadsheetConversion again(source, dir.file("in"), out, kEnglish);
  ASSERT_TRUE(again.run(clock).ok());
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.prn"});

  // The source itself as the output is refused before anything is written.
  testing::putFile(dir.file("in.mes"), {1});
  SpreadsheetConversion over(source, dir.file("in.mes"), dir.file("./in.mes"), kEnglish);
  EXPECT_EQ(over.run(clock).status, FileStatus::kCannotCreate);
  EXPECT_EQ(testing::fileBytes(dir.file("in.mes")), Bytes{1});
}

TEST(SpreadsheetConversion, ProgressAtMostThirtyTimesASecondAndAtTheEnd) {
  TempDir dir;
  for (auto [records, most] : {std::pair{0LL, 1}, {1LL, 1}, {1000LL, 301}}) {
    ManualClock clock;
    FakeSource source;
    source.total = records;
    source.clock = &clock;
    SpreadsheetConversion conversion(source, dir.file("in"), dir.file("out.prn"), kEnglish);
    std::vector<long long> calls;
    ASSERT_TRUE(
        conversion.run(clock, [&](const ConversionCounters& n) { calls.push_back(n.converted); })
            .ok());
    EXPECT_LE(static_cast<int>(calls.size()), most) << records << " records in " << clock.nowMs();
    EXPECT_GE(calls.size() * 4, static_cast<std::size_t>(most)) << "still refreshed";
    EXPECT_EQ(calls.back(), records) << "the last call shows the end";
  }
}

}  // namespace
}  // namespace flowdesk
