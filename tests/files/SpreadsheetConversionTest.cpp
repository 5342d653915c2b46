// The conversion to spreadsheet text that every recorded file kind shares:
// the order of the work, the counters, the pacing of the progress display
// and the text file written as it goes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/SpreadsheetConversion.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::TempDir;

std::string wholeFile(const std::string& path) {
  const std::vector<std::uint8_t> bytes = testing::fileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

// A source of `total` records whose lines carry their index and a decimal
// point; it can fail at a record, and moves a clock on as it works.
class FakeSource final : public ConversionSource {
 public:
  long long total = 3;
  long long failAt = -1;
  bool lastFromFirst = true;
  ManualClock* clock = nullptr;
  int opens = 0;

  FileResult open(const std::string& path) override {
    ++opens;
    path_ = path;
    return {};
  }
  long long recordTotal() const override { return total; }
  FileResult titleLine(int language, std::string& line) override {
    line = PrnLine().field("I.Q.").field(language == 0 ? "Débit" : "Flow").title();
    return {};
  }
  FileResult convert(long long index, ConvertedRecord& out) override {
    if (index == failAt) return FileResult::failure(FileStatus::ReadFailed, path_, 5);
    if (clock) clock->advance(10);
    RegionalSettings regional;
    regional.decimalSeparator = ",";
    out.line = PrnLine().field(std::to_string(index + 1)).field("1.5").record(regional);
    out.dateTime = "day " + std::to_string(index);
    return {};
  }
  bool firstRecordIsLastDate() const override { return lastFromFirst; }

 private:
  std::string path_;
};

TEST(SpreadsheetConversion, LinesAreWrittenAsEachRecordIsConverted) {
  TempDir dir;
  testing::putFile(dir.file("in.x"), {1});
  const std::string out = dir.file("out.prn");
  struct Case {
    bool lastFromFirst;
    std::vector<std::string> lastDates;
  } cases[] = {{true, {"day 0", "day 1", "day 2"}}, {false, {"", "day 1", "day 2"}}};
  for (const Case& c : cases) {
    FakeSource source;
    source.lastFromFirst = c.lastFromFirst;
    SpreadsheetConversion conversion(source, dir.file("in.x"), out, 0);
    std::string expected = "I.Q.\tDébit\t\n";  // a title keeps its dots
    for (int i = 0; i < 3; ++i) {
      EXPECT_FALSE(conversion.finished());
      ASSERT_TRUE(conversion.step().ok());
      expected += std::to_string(i + 1) + "\t1,5\t\n";
      EXPECT_EQ(wholeFile(out), expected) << "the line is in the file once converted";
      EXPECT_EQ(conversion.counters().converted, i + 1);
      EXPECT_EQ(conversion.counters().total, 3);
      EXPECT_EQ(conversion.counters().firstDate, "day 0");
      EXPECT_EQ(conversion.counters().lastDate, c.lastDates[static_cast<std::size_t>(i)]);
    }
    EXPECT_TRUE(conversion.finished());
    EXPECT_TRUE(conversion.step().ok()) << "a finished conversion does nothing more";
    EXPECT_EQ(wholeFile(out), expected);
    EXPECT_EQ(source.opens, 1);
  }
}

TEST(SpreadsheetConversion, FailuresStopWhereTheyHappen) {
  TempDir dir;
  testing::putFile(dir.file("in.x"), {1});
  ManualClock clock;

  // A record that cannot be read: the lines before it stay.
  FakeSource broken;
  broken.failAt = 1;
  SpreadsheetConversion cut(broken, dir.file("in.x"), dir.file("cut.prn"), 1);
  const FileResult r = cut.run(clock);
  EXPECT_EQ(r.status, FileStatus::ReadFailed);
  EXPECT_FALSE(cut.finished());
  EXPECT_EQ(wholeFile(dir.file("cut.prn")), "I.Q.\tFlow\t\n1\t1,5\t\n");

  // An output that cannot be created.
  FakeSource source;
  SpreadsheetConversion nowhere(source, dir.file("in.x"), dir.file("no/such/out.prn"), 1);
  const FileResult missing = nowhere.run(clock);
  EXPECT_EQ(missing.status, FileStatus::CannotCreate);
  EXPECT_NE(missing.message().find("no/such/out.prn"), std::string::npos);

  // The source itself as the output: refused before anything is written.
  SpreadsheetConversion over(source, dir.file("in.x"), dir.file("./in.x"), 1);
  EXPECT_EQ(over.run(clock).status, FileStatus::CannotCreate);
  EXPECT_EQ(testing::fileBytes(dir.file("in.x")), std::vector<std::uint8_t>{1});
}

TEST(SpreadsheetConversion, ProgressAtMostThirtyTimesASecondAndAtTheEnd) {
  TempDir dir;
  testing::putFile(dir.file("in.x"), {1});
  struct Case {
    long long records;  // 10 ms each
    int minCalls, maxCalls;
  } cases[] = {{0, 1, 1}, {1, 1, 1}, {100, 20, 31}, {1000, 200, 301}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.records);
    ManualClock clock;
    FakeSource source;
    source.total = c.records;
    source.clock = &clock;
    SpreadsheetConversion conversion(source, dir.file("in.x"), dir.file("out.prn"), 1);
    std::vector<ConversionCounters> calls;
    ASSERT_TRUE(
        conversion.run(clock, [&](const ConversionCounters& n) { calls.push_back(n); }).ok());
    EXPECT_GE(static_cast<int>(calls.size()), c.minCalls);
    EXPECT_LE(static_cast<int>(calls.size()), c.maxCalls);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().converted, c.records) << "the last call shows the end";
  }
}

}  // namespace
}  // namespace flowdesk
