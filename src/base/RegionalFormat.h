// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <string_view>

namespace flowdesk {

// The operator's regional conventions, read once from the desktop (the Qt
// layer fills this from the system locale); core code only receives it.
struct RegionalSettings {
  enum DateOrder : int { kMonthFirst = 0, kDayFirst = 1, kYearFirst = 2 };

  int dateOrder = kDayFirst;  // any value other than 0 and 2 reads as day first
  std::string dateSeparator = "/";
  std::string timeSeparator = ":";
  bool clock24 = true;
  std::string amSymbol = "AM";
  std::string pmSymbol = "PM";
  std::string decimalSeparator = ".";
};

// "05/03/2004" day first, "03/05/2004" month first, "2004/03/05" year first
// (with the regional separator); the year takes at least four positions.
std::string formatDate(int day, int month, int year, const RegionalSettings& settings);

// "13:00:00" with the 24-hour clock; "01:00:00 PM" with the 12-hour one, where
// an hour above 11 takes the afternoon symbol and loses 12, any other hour the
// morning symbol, and hour 0 shows as 12.
std::string formatTime(int hour, int minute, int second, const RegionalSettings& settings);

// The date, a blank and the time, as printouts head their pages.
std::string formatDateTime(int day, int month, int year, int hour, int minute, int second,
                           const RegionalSettings& settings);

// Every "." of the text replaced by the first character of the decimal
// separator, for texts meant for a spreadsheet. An empty separator leaves the
// text as it is.
std::string replaceDots(std::string_view text, const RegionalSettings& settings);

}  // namespace flowdesk
