// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/PlotData.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

#include "base/FieldFormat.h"
#include "base/Numeric.h"

namespace flowdesk {

namespace {

constexpr double kNoTime = std::numeric_limits<double>::quiet_NaN();

bool readNumber(std::string_view& text, std::size_t digits, int& out) {
  if (text.size() < digits) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + digits, out);
  if (ec != std::errc() || end != text.data() + digits) return false;
  text.remove_prefix(digits);
  return true;
}

bool readSeparator(std::string_view& text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}

}  // namespace

double plotTime(const LocalDateTime& time) {
  const auto [year, month, day, hour, minute, second] = time;
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 ||
      minute > 59 || second < 0 || second > 60 || year < 1970 || year > 9999) {
    return kNoTime;
  }
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;  // the local rule of that day, so summer records read as written
  const std::time_t seconds = std::mktime(&t);
  // mktime moves a 31 February into March: such a record has no date.
  if (seconds == static_cast<std::time_t>(-1) || t.tm_mday != day || t.tm_mon != month - 1) {
    return kNoTime;
  }
  return static_cast<double>(seconds);
}

std::optional<double> parsePlotDate(std::string_view text) {
  LocalDateTime d;
  if (!readNumber(text, 4, d.year) || !readSeparator(text, '-') || !readNumber(text, 2, d.month) ||
      !readSeparator(text, '-') || !readNumber(text, 2, d.day)) {
    return std::nullopt;
  }
  if (!text.empty()) {
    if (!readSeparator(text, ' ') && !readSeparator(text, 'T')) return std::nullopt;
    if (!readNumber(text, 2, d.hour) || !readSeparator(text, ':') ||
        !readNumber(text, 2, d.minute)) {
      return std::nullopt;
    }
    if (!text.empty() && (!readSeparator(text, ':') || !readNumber(text, 2, d.second))) {
      return std::nullopt;
    }
    if (!text.empty()) return std::nullopt;
  }
  const double t = plotTime(d);
  if (std::isnan(t)) return std::nullopt;
  return t;
}

std::string plotTimeText(double time, const RegionalSettings& regional) {
  if (!std::isfinite(time)) return {};
  const std::time_t seconds = static_cast<std::time_t>(std::floor(time));
  std::tm t{};
  if (localtime_r(&seconds, &t) == nullptr) return {};
  return formatDateTime(t.tm_mday, t.tm_mon + 1, t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec,
                        regional);
}

std::string plotValueText(double value, const std::string& separator) {
  if (!std::isfinite(value)) return "-";
  int decimals = 0;
  const double shown = adaptivePrecision(value, decimals);
  // The screens' rule keeps four significant digits, rounding 48143 to 48140:
  // the cursor reads a value off the file, so a value that needs no
  // decimals (a totalizer) shows every digit the file holds.
  return formatFixed(decimals == 0 ? value : shown, decimals, separator);
}

std::string plotAxisTitle(const PlotSeries& series) {
  if (series.unit.empty()) return series.name;
  return series.name + " (" + series.unit + ")";
}

}  // namespace flowdesk
