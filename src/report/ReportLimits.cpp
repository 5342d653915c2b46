// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ReportLimits.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "base/FieldFormat.h"
#include "base/Texts.h"

namespace flowdesk {
namespace {

struct LimitKey {
  const char* key;
  double ReportLimits::*value;
  std::optional<double> ReportLimits::*optional;
};

constexpr std::array<LimitKey, 11> kKeys = {{
    {"sound_velocity_spread_percent", &ReportLimits::soundVelocitySpreadPercent, nullptr},
    {"chord_sound_velocity_deviation_percent", &ReportLimits::chordSoundVelocityDeviationPercent,
     nullptr},
    {"water_sound_velocity_deviation_percent", &ReportLimits::waterSoundVelocityDeviationPercent,
     nullptr},
    {"turbulence_percent", &ReportLimits::turbulencePercent, nullptr},
    {"chord_fault_samples", &ReportLimits::chordFaultSamples, nullptr},
    {"flow_fault_samples", &ReportLimits::flowFaultSamples, nullptr},
    {"failed_polls_percent", &ReportLimits::failedPollsPercent, nullptr},
    {"gain_min_db", nullptr, &ReportLimits::gainMinDb},
    {"gain_max_db", nullptr, &ReportLimits::gainMaxDb},
    {"velocity_ratio_change_percent", &ReportLimits::velocityRatioChangePercent, nullptr},
    {"gain_change_db", &ReportLimits::gainChangeDb, nullptr},
}};

std::string_view trimmed(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// A number as a technician types it: a decimal point or comma, nothing
// after it but blanks.
std::optional<double> number(std::string_view s) {
  std::string text(s);
  for (char& c : text)
    if (c == ',') c = '.';
  // Leading "+" is allowed as people write it; from_chars takes neither
  // it nor the C library's locale into account.
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  if (digits.empty()) return std::nullopt;
  double v = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
  if (ec != std::errc() || end != digits.data() + digits.size() || !std::isfinite(v))
    return std::nullopt;
  return v;
}

}  // namespace

std::optional<ReportLimits> parseReportLimits(std::string_view text, Language language,
                                              std::string& error) {
  ReportLimits limits;
  int lineNumber = 0;
  const auto refuse = [&](const BilingualText& why, std::string_view what) {
    error = textWithWords(kTxtLimitsLine.text(language), {std::to_string(lineNumber)}) +
            std::string(why.text(language)) + std::string(what);
    return std::nullopt;
  };
  while (!text.empty()) {
    const std::size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
    ++lineNumber;
    if (const std::size_t comment = line.find_first_of("#;"); comment != std::string_view::npos)
      line = line.substr(0, comment);
    line = trimmed(line);
    if (line.empty()) continue;
    if (line.front() == '[') {
      if (line != "[limits]") return refuse(kTxtLimitsUnknownHeading, line);
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return refuse(kTxtLimitsNoEquals, line);
    const std::string_view key = trimmed(line.substr(0, eq));
    const std::string_view value = trimmed(line.substr(eq + 1));
    const LimitKey* found = nullptr;
    for (const LimitKey& k : kKeys)
      if (key == k.key) found = &k;
    if (!found) return refuse(kTxtLimitsUnknownKey, key);
    if (found->optional && value.empty()) {
      limits.*(found->optional) = std::nullopt;
      continue;
    }
    const std::optional<double> v = number(value);
    if (!v) return refuse(kTxtLimitsNotANumber, value);
    // Gain bounds are levels and may be anything; every other limit is a
    // size that a negative value would make impossible to meet.
    if (found->value) {
      if (*v < 0) return refuse(kTxtLimitsNegative, value);
      limits.*(found->value) = *v;
    } else {
      limits.*(found->optional) = *v;
    }
  }
  if (limits.gainMinDb && limits.gainMaxDb && *limits.gainMinDb > *limits.gainMaxDb) {
    error = std::string(kTxtLimitsGainRange.text(language));
    return std::nullopt;
  }
  return limits;
}

std::string reportLimitsText(const ReportLimits& limits) {
  std::ostringstream out;
  out << "[limits]\n";
  for (const LimitKey& k : kKeys) {
    out << k.key << " = ";
    if (k.value) {
      out << formatAdaptive(limits.*(k.value));
    } else if (const auto& v = limits.*(k.optional)) {
      out << formatAdaptive(*v);
    }
    out << '\n';
  }
  return out.str();
}

}  // namespace flowdesk
