// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/RegionalFormat.h"

#include <cstdio>

#include "base/Windows1252.h"

namespace flowdesk {

namespace {

// Pads to `width` digits with zeros, like "%0*d"; a negative value keeps its
// sign in front.
std::string padded(int value, int width, char fill = '0') {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, fill == '0' ? "%0*d" : "%*d", width, value);
  return buffer;
}

}  // namespace

std::string formatDate(int day, int month, int year, const RegionalSettings& settings) {
  const std::string& sep = settings.dateSeparator;
  const std::string y = padded(year, 4, ' ');
  switch (settings.dateOrder) {
    case RegionalSettings::kMonthFirst:
      return padded(month, 2) + sep + padded(day, 2) + sep + y;
    case RegionalSettings::kYearFirst:
      return y + sep + padded(month, 2) + sep + padded(day, 2);
    default:
      return padded(day, 2) + sep + padded(month, 2) + sep + y;
  }
}

std::string formatTime(int hour, int minute, int second, const RegionalSettings& settings) {
  const std::string& sep = settings.timeSeparator;
  if (settings.clock24) {
    return padded(hour, 2) + sep + padded(minute, 2) + sep + padded(second, 2);
  }
  const std::string* symbol = &settings.amSymbol;
  if (hour > 11) {
    symbol = &settings.pmSymbol;
    hour -= 12;
  }
  if (hour == 0) hour = 12;
  return padded(hour, 2) + sep + padded(minute, 2) + sep + padded(second, 2) + " " + *symbol;
}

std::string formatDateTime(int day, int month, int year, int hour, int minute, int second,
                           const RegionalSettings& settings) {
  return formatDate(day, month, year, settings) + " " + formatTime(hour, minute, second, settings);
}

std::string replaceDots(std::string_view text, const RegionalSettings& settings) {
  if (settings.decimalSeparator.empty()) return std::string(text);
  // The first character, not byte: a separator may be a multi-byte one.
  const std::string separator = utf8Left(settings.decimalSeparator, 1);
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '.') {
      out += separator;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace flowdesk
