// The conversion to spreadsheet text that every recorded file kind shares:
// the order of the work, the counters, the pacing of the progress display
// and the text file written as it goes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Bytes.h"
#include "files/SpreadsheetConversion.h"
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
  FileResult titleLine(int language, std::string& line) override {
    line = PrnLine().field("I.Q.").field(language == 0 ? "Débit" : "Flow").title();
    return {};
  }
  FileResult convert(long long index, ConvertedRecord& out) override {
    if (index == failAt) return FileResult::failure(FileStatus::ReadFailed, "in", 5);
    if (clock) clock->advance(10);
    RegionalSettings regional;
    regional.decimalSeparator = ",";
    out.line = PrnLine().field(std::to_string(index + 1)).field("1.5").record(regional);
    out.dateTime = "day " + std::to_string(index);
    return {};
  }
  bool firstRecordIsLastDate() const override { return lastFromFirst; }
};

TEST(SpreadsheetConversion, LinesAreWrittenAsEachRecordIsConverted) {
  TempDir dir;
  const std::string out = dir.file("out.prn");
  FakeSource source;
  source.lastFromFirst = false;  // the logger's rule
  SpreadsheetConversion conversion(source, dir.file("in"), out, 0);
  std::string expected = "I.Q.\tDébit\t\n";  // a title keeps its dots
  const char* lastDates[] = {"", "day 1", "day 2"};
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(conversion.step().ok());
    expected += std::to_string(i + 1) + "\t1,5\t\n";
    EXPECT_EQ(wholeFile(out), expected) << "each line is in the file once converted";
    EXPECT_EQ(conversion.counters().converted, i + 1);
    EXPECT_EQ(conversion.counters().firstDate, "day 0");
    EXPECT_EQ(conversion.counters().lastDate, lastDates[i]);
  }
  EXPECT_TRUE(conversion.finished());

  // A record that cannot be read stops the conversion; the lines before stay.
  source.failAt = 1;
  SpreadsheetConversion cut(source, dir.file("in"), out, 1);
  ManualClock clock;
  EXPECT_EQ(cut.run(clock).status, FileStatus::ReadFailed);
  EXPECT_EQ(wholeFile(out), "I.Q.\tFlow\t\n1\t1,5\t\n");

  // The source itself as the output is refused before anything is written.
  testing::putFile(dir.file("in.mes"), {1});
  SpreadsheetConversion over(source, dir.file("in.mes"), dir.file("./in.mes"), 1);
  EXPECT_EQ(over.run(clock).status, FileStatus::CannotCreate);
  EXPECT_EQ(testing::fileBytes(dir.file("in.mes")), Bytes{1});
}

TEST(SpreadsheetConversion, ProgressAtMostThirtyTimesASecondAndAtTheEnd) {
  TempDir dir;
  for (auto [records, most] : {std::pair{0LL, 1}, {1LL, 1}, {1000LL, 301}}) {
    ManualClock clock;
    FakeSource source;
    source.total = records;
    source.clock = &clock;
    SpreadsheetConversion conversion(source, dir.file("in"), dir.file("out.prn"), 1);
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
