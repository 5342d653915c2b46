// SPDX-License-Identifier: GPL-3.0-or-later
// Logger files made into spreadsheet text: the title line for 3 and 8 slots,
// one line per record, the regional decimal separator.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <string>

#include "base/BilingualText.h"
#include "base/Clock.h"
#include "files/SpreadsheetConversion.h"
#include "logger/LoggerConversion.h"
#include "logger/LoggerFile.h"
#include "support/ManualClock.h"
#include "support/Processes.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::TempDir;

// Record k: point 7, 2024-03-(k+1) 10:20:k, flow 1.5 + k, every slot Tot1 = 2.25.
Bytes records(std::size_t size, int count) {
  Bytes data;
  for (int k = 0; k < count; ++k) {
    Bytes r(size, 0);
    r[0] = 7;
    r[1] = 3;
    r[2] = 24;
    r[3] = static_cast<std::uint8_t>(k + 1);
    r[4] = 10;
    r[5] = 20;
    r[6] = static_cast<std::uint8_t>(k);
    const auto flow = std::bit_cast<std::uint32_t>(1.5f + static_cast<float>(k));
    for (int i = 0; i < 4; ++i) r[8 + i] = static_cast<std::uint8_t>(flow >> (24 - 8 * i));
    r[12] = 90;
    for (int s = 0; s < loggerSlotCount(size); ++s) {
      const std::size_t at = kLoggerSlotOffset + kLoggerSlotSize * static_cast<std::size_t>(s);
      r[at] = 1;
      const auto v = std::bit_cast<std::uint32_t>(2.25f);
      for (int i = 0; i < 4; ++i) r[at + 1 + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
      r[at + 5] = 50;
    }
    data.insert(data.end(), r.begin(), r.end());
  }
  return data;
}

std::string lineAt(const std::string& text, int n) {
  std::size_t start = 0;
  for (int i = 0; i < n; ++i) start = text.find('\n', start) + 1;
  return text.substr(start, text.find('\n', start) - start + 1);
}

TEST(LoggerConversion, TenRecordsGiveElevenLines) {
  RegionalSettings french;
  french.decimalSeparator = ",";
  std::string slots3 = "N°\tDate\tHeure\tDébit\tUnité Q\tI.Q.Débit\t";
  for (int k = 2; k <= 4; ++k) {
    const std::string t = "ENR. " + std::to_string(k);
    slots3 += t + "\tVal." + t + "\tI.Q." + t + "\t";
  }
  slots3 += "Point\tM\t\n";
  struct Case {
    std::size_t size;
    std::string title;
    int fields;  // fields of a record line
  } cases[] = {
      {31, slots3, 6 + 3 * 3 + 2},
      {62, "", 6 + 3 * 8 + 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    TempDir dir;
    const std::string in = dir.file("x.log");
    ASSERT_TRUE(createLoggerFile(in, c.size).ok());
    int written = 0;
    ASSERT_TRUE(appendLoggerRecords(in, 1, c.size, records(c.size, 10), 10, written).ok());
    LoggerConversionSource source(french, kFrench);
    SpreadsheetConversion conversion(source, in, dir.file("x.prn"), kFrench);
    ManualClock clock;
    ASSERT_TRUE(conversion.run(clock).ok());
    EXPECT_EQ(conversion.counters().total, 10);
    EXPECT_EQ(conversion.counters().firstDate, "01/03/2024 10:20:00");
    EXPECT_EQ(conversion.counters().lastDate, "10/03/2024 10:20:09");

    const std::string text = testing::wholeFile(dir.file("x.prn"));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 11);
    const std::string title = lineAt(text, 0);
    if (!c.title.empty()) {
      EXPECT_EQ(title, c.title);
    }
    EXPECT_NE(title.find(c.size == 31 ? "ENR. 4\t" : "I.Q.ENR. 9\tPoint"), std::string::npos);
    const std::string last = lineAt(text, 10);
    EXPECT_EQ(std::count(last.begin(), last.end(), '\t'), c.fields);
    EXPECT_EQ(last.substr(0, 3), "10\t");
    EXPECT_EQ(last.find('.'), std::string::npos) << last;
    EXPECT_NE(last.find("\t  10,50\t"), std::string::npos) << last;
    EXPECT_NE(last.find("Tot1   \t  2,250\t050\t"), std::string::npos) << last;
    EXPECT_EQ(last.substr(last.size() - 8), "050\t7\t\t\n");  // point 7, no mark
  }
}

}  // namespace
}  // namespace flowdesk
