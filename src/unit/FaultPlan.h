// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace flowdesk::unit {

enum class FaultKind {
  kDrop,       // no answer
  kBadCrc,     // both CRC bytes inverted
  kShort,      // last byte left off
  kLong,       // a zero byte after the CRC (the CRC test still passes on it)
  kException,  // an exception reply instead of the answer
  kLate,       // first byte after longer than the master's first-byte limit
  kPause,      // a silence inside the reply, longer than the inter-byte limit
  kSilent,     // no answer (the usual spelling for "from the Nth request on")
};

// What to do to one reply. `value` is the rule's number after '=' (milliseconds
// for late and pause, the exception code for exception), or -1 for the default.
struct FaultAction {
  FaultKind kind;
  int value = -1;
  bool operator==(const FaultAction&) const = default;
};

// The --faults syntax:
//   RULES   := RULE { ';' RULE }
//   RULE    := KIND [ '=' NUMBER ] TRIGGER
//   KIND    := drop | crc | short | long | exception | late | pause | silent
//   TRIGGER := '@' N[-M] { ',' N[-M] }   on these request numbers
//            | '%' P                     with probability P percent (0..100, decimals allowed)
//            | '>=' N                    on request N and every later one
// Requests are numbered from 1 in the order the unit accepts them. When several
// rules match one request the first one written wins.
class FaultPlan {
 public:
  // Returns the plan, or nothing with `error` set to a one-line reason.
  static std::optional<FaultPlan> parse(std::string_view rules, std::uint32_t seed,
                                        std::string& error);

  FaultPlan() : random_(1) {}

  // The action for the request with this number (1-based), if any. Call once
  // per request, in order: probability rules draw from the seeded generator.
  std::optional<FaultAction> next(long requestNumber);

  bool empty() const { return rules_.empty(); }

 private:
  enum class Trigger { kList, kProbability, kFrom };
  struct Rule {
    FaultAction action;
    Trigger trigger = Trigger::kList;
    std::vector<std::pair<long, long>> ranges;
    double percent = 0;
    long from = 0;
  };
  std::vector<Rule> rules_;
  std::mt19937 random_;
};

const char* faultKindName(FaultKind kind);

}  // namespace flowdesk::unit
