// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/FaultPlan.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace flowdesk::unit {

namespace {

struct KindName {
  const char* name;
  FaultKind kind;
};
constexpr KindName kKinds[] = {
    {"drop", FaultKind::kDrop},           {"crc", FaultKind::kBadCrc},
    {"short", FaultKind::kShort},         {"long", FaultKind::kLong},
    {"exception", FaultKind::kException}, {"late", FaultKind::kLate},
    {"pause", FaultKind::kPause},         {"silent", FaultKind::kSilent},
};

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// A whole positive number filling all of `s`.
bool parseCount(std::string_view s, long& out) {
  s = trim(s);
  if (s.empty()) return false;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && end == s.data() + s.size();
}

}  // namespace

const char* faultKindName(FaultKind kind) {
  for (const auto& k : kKinds) {
    if (k.kind == kind) return k.name;
  }
  return "?";
}

std::optional<FaultPlan> FaultPlan::parse(std::string_view rules, std::uint32_t seed,
                                          std::string& error) {
  FaultPlan plan;
  plan.random_.seed(seed);
  std::size_t pos = 0;
  while (pos <= rules.size()) {
    const std::size_t end = std::min(rules.find(';', pos), rules.size());
    const std::string_view text = trim(rules.substr(pos, end - pos));
    pos = end + 1;
    if (text.empty()) {
      if (end >= rules.size()) break;
      continue;
    }
    const std::string quoted = "fault rule \"" + std::string(text) + "\": ";
    std::size_t k = 0;
    while (k < text.size() && text[k] >= 'a' && text[k] <= 'z') ++k;
    const std::string_view kindName = text.substr(0, k);
    Rule rule{};
    bool known = false;
    for (const auto& kn : kKinds) {
      if (kindName == kn.name) {
        rule.action.kind = kn.kind;
        known = true;
      }
    }
    if (!known) {
      error = quoted + "unknown kind \"" + std::string(kindName) +
              "\" (drop, crc, short, long, exception, late, pause, silent)";
      return std::nullopt;
    }
    std::string_view rest = text.substr(k);
    if (!rest.empty() && rest.front() == '=') {
      std::size_t n = 1;
      while (n < rest.size() && rest[n] >= '0' && rest[n] <= '9') ++n;
      long value = 0;
      if (!parseCount(rest.substr(1, n - 1), value) || value > 600000) {
        error = quoted + "'=' must be followed by a number up to 600000";
        return std::nullopt;
      }
      if (rule.action.kind == FaultKind::kException && (value < 1 || value > 255)) {
        error = quoted + "an exception code is 1 to 255";
        return std::nullopt;
      }
      rule.action.value = static_cast<int>(value);
      rest = rest.substr(n);
    }
    if (rest.starts_with("@")) {
      rule.trigger = Trigger::kList;
      std::string_view list = rest.substr(1);
      std::size_t p = 0;
      while (p <= list.size()) {
        const std::size_t e = std::min(list.find(',', p), list.size());
        const std::string_view item = list.substr(p, e - p);
        const std::size_t dash = item.find('-');
        long a = 0, b = 0;
        const bool ok = dash == std::string_view::npos ? parseCount(item, a) && (b = a, true)
                                                       : parseCount(item.substr(0, dash), a) &&
                                                             parseCount(item.substr(dash + 1), b);
        if (!ok || a < 1 || b < a) {
          error = quoted + "'@' wants request numbers from 1, like @3,5 or @2-4";
          return std::nullopt;
        }
        rule.ranges.emplace_back(a, b);
        p = e + 1;
      }
    } else if (rest.starts_with("%")) {
      rule.trigger = Trigger::kProbability;
      const std::string number(trim(rest.substr(1)));
      char* endp = nullptr;
      const double percent = number.empty() ? -1 : std::strtod(number.c_str(), &endp);
      if (number.empty() || *endp != '\0' || !(percent >= 0 && percent <= 100)) {
        error = quoted + "'%' wants a percentage from 0 to 100";
        return std::nullopt;
      }
      rule.percent = percent;
    } else if (rest.starts_with(">=")) {
      rule.trigger = Trigger::kFrom;
      if (!parseCount(rest.substr(2), rule.from) || rule.from < 1) {
        error = quoted + "'>=' wants a request number from 1";
        return std::nullopt;
      }
    } else {
      error = quoted + "needs a trigger: @N[,N...], %P or >=N";
      return std::nullopt;
    }
    plan.rules_.push_back(std::move(rule));
  }
  return plan;
}

std::optional<FaultAction> FaultPlan::next(long requestNumber) {
  std::optional<FaultAction> chosen;
  std::uniform_real_distribution<double> percent(0.0, 100.0);
  for (const Rule& rule : rules_) {
    bool hit = false;
    switch (rule.trigger) {
      case Trigger::kList:
        for (const auto& [a, b] : rule.ranges)
          hit = hit || (requestNumber >= a && requestNumber <= b);
        break;
      case Trigger::kProbability:
        // Every probability rule draws on every request, whether an earlier
        // rule matched or not, so one seed always gives the same sequence.
        hit = percent(random_) < rule.percent;
        break;
      case Trigger::kFrom:
        hit = requestNumber >= rule.from;
        break;
    }
    if (hit && !chosen) chosen = rule.action;
  }
  return chosen;
}

}  // namespace flowdesk::unit
