// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>

#include "base/RegionalFormat.h"

namespace flowdesk {
namespace {

RegionalSettings dates(int order, const char* separator) {
  RegionalSettings s;
  s.dateOrder = order;
  s.dateSeparator = separator;
  return s;
}

RegionalSettings clock(bool clock24, const char* separator, const char* am, const char* pm) {
  RegionalSettings s;
  s.clock24 = clock24;
  s.timeSeparator = separator;
  s.amSymbol = am;
  s.pmSymbol = pm;
  return s;
}

TEST(RegionalFormat, DateInRegionalOrder) {
  const struct {
    RegionalSettings settings;
    int day, month, year;
    const char* expected;
  } cases[] = {
      {dates(RegionalSettings::kYearFirst, "-"), 5, 3, 2004, "2004-03-05"},
      {dates(RegionalSettings::kDayFirst, "/"), 5, 3, 2004, "05/03/2004"},
      {dates(RegionalSettings::kMonthFirst, "/"), 5, 3, 2004, "03/05/2004"},
      {dates(RegionalSettings::kDayFirst, "."), 31, 12, 1999, "31.12.1999"},
      {dates(7, "/"), 5, 3, 2004, "05/03/2004"},  // an unknown order reads day first
      {dates(RegionalSettings::kDayFirst, "/"), 1, 1, 99, "01/01/  99"},
      {dates(RegionalSettings::kYearFirst, ". "), 9, 10, 2024, "2024. 10. 09"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(formatDate(c.day, c.month, c.year, c.settings), c.expected);
  }
}

TEST(RegionalFormat, TimeOnBothClocks) {
  const struct {
    RegionalSettings settings;
    int hour, minute, second;
    const char* expected;
  } cases[] = {
      {clock(false, ":", "AM", "PM"), 0, 5, 9, "12:05:09 AM"},
      {clock(false, ":", "AM", "PM"), 13, 0, 0, "01:00:00 PM"},
      {clock(false, ":", "AM", "PM"), 12, 0, 0, "12:00:00 PM"},
      {clock(false, ":", "AM", "PM"), 11, 59, 59, "11:59:59 AM"},
      {clock(false, ":", "AM", "PM"), 23, 59, 59, "11:59:59 PM"},
      {clock(false, ".", "vorm.", "nachm."), 14, 30, 0, "02.30.00 nachm."},
      {clock(true, ":", "AM", "PM"), 13, 0, 0, "13:00:00"},
      {clock(true, ":", "AM", "PM"), 0, 5, 9, "00:05:09"},
      {clock(true, "h", "", ""), 9, 7, 3, "09h07h03"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(formatTime(c.hour, c.minute, c.second, c.settings), c.expected);
  }
}

TEST(RegionalFormat, DateTimeJoinsWithABlank) {
  RegionalSettings s = dates(RegionalSettings::kYearFirst, "-");
  EXPECT_EQ(formatDateTime(5, 3, 2004, 13, 0, 0, s), "2004-03-05 13:00:00");
}

TEST(RegionalFormat, ReplaceDotsWithTheDecimalSeparator) {
  const struct {
    const char* separator;
    const char* text;
    const char* expected;
  } cases[] = {
      {",", "1.5\t2.25\t3\n", "1,5\t2,25\t3\n"},
      {".", "1.5", "1.5"},
      {"", "1.5", "1.5"},    // nothing to put there: leave the text
      {",.", "1.5", "1,5"},  // the first character only
      {"\xD9\xAB", "1.5",
       "1\xD9\xAB"
       "5"},  // a two-byte separator stays whole
  };
  for (const auto& c : cases) {
    RegionalSettings s;
    s.decimalSeparator = c.separator;
    EXPECT_EQ(replaceDots(c.text, s), c.expected) << c.separator;
  }
}

}  // namespace
}  // namespace flowdesk
