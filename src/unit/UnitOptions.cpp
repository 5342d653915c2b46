// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/UnitOptions.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "base/ValueLists.h"
#include "link/JbusMaster.h"
#include "link/LinkTimings.h"
#include "unit/FaultPlan.h"
#include "unit/LineTiming.h"

namespace flowdesk::unit {

namespace {

bool parseNumber(const std::string& text, long min, long max, long& out) {
  const char* end = text.data() + text.size();
  const auto [p, ec] = std::from_chars(text.data(), end, out);
  return !text.empty() && ec == std::errc() && p == end && out >= min && out <= max;
}

// The slowest rate at which the master uses its short limits.
int firstFastRate() {
  for (std::size_t i = 0; i < kBaudTable.size(); ++i) {
    if (!link_timings::isSlowRate(static_cast<int>(i))) return static_cast<int>(kBaudTable[i]);
  }
  return static_cast<int>(kBaudTable.back());
}

// A round figure past `d`, for an example a reader can type.
std::chrono::milliseconds roundPast(std::chrono::milliseconds d) {
  constexpr std::chrono::milliseconds kStep{500};
  return (d / kStep + 1) * kStep;
}

}  // namespace

std::optional<std::pair<int, double>> chordHealthValue(const std::string& text, bool signedValue) {
  const std::size_t colon = text.find(':');
  if (colon != 1 || text[0] < '1' || text[0] > '6' || colon + 1 >= text.size()) return std::nullopt;
  const std::string number = text.substr(colon + 1);
  double v = 0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), v);
  if (ec != std::errc() || end != number.data() + number.size() || !std::isfinite(v) ||
      std::fabs(v) > 100 || (!signedValue && v < 0))
    return std::nullopt;
  return std::pair{text[0] - '0', v};
}

std::optional<std::uint16_t> shownFaultBits(const std::string& list, int chords) {
  struct Name {
    const char* name;
    std::uint16_t bits;
  };
  static constexpr Name kNames[] = {{"flow", status::kFlowFault},
                                    {"battery", status::kBatteryLow},
                                    {"relay", status::kRelayFault},
                                    {"calorie", status::kCalorieFault}};
  std::uint16_t bits = 0;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t end = std::min(list.find(',', start), list.size());
    const std::string word = list.substr(start, end - start);
    start = end + 1;
    const auto named = std::find_if(std::begin(kNames), std::end(kNames),
                                    [&](const Name& n) { return word == n.name; });
    if (named != std::end(kNames)) {
      bits |= named->bits;
    } else if (word == "chords") {
      for (int k = 0; k < chords; ++k)
        bits |= static_cast<std::uint16_t>(1u << (status::kFirstChordBit + k));
    } else if (word.size() == 6 && word.starts_with("chord") && word[5] >= '1' && word[5] <= '6') {
      bits |= static_cast<std::uint16_t>(1u << (status::kFirstChordBit + (word[5] - '1')));
    } else {
      return std::nullopt;
    }
  }
  return bits;
}

std::optional<UnitOptions> parseUnitOptions(const std::vector<std::string>& args,
                                            std::string& error) {
  UnitOptions o;
  bool recordsGiven = false;
  std::string faultsShown;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> inlineValue;
    if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
      inlineValue = name.substr(eq + 1);
      name = name.substr(0, eq);
    }
    if (name == "--help" || name == "-h") {
      o.help = true;
      continue;
    }
    if (name == "--version") {
      o.version = true;
      continue;
    }
    if (name == "--trace") {
      o.trace = true;
      continue;
    }
    if (name == "--echo-requests") {
      o.echoRequests = true;
      continue;
    }
    auto value = [&](std::string& out) {
      if (inlineValue) {
        out = *inlineValue;
        return true;
      }
      if (i + 1 >= args.size()) {
        error = name + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    auto number = [&](long min, long max, long& out) {
      std::string text;
      if (!value(text)) return false;
      if (!parseNumber(text, min, max, out)) {
        error = name + " wants a whole number from " + std::to_string(min) + " to " +
                std::to_string(max) + ", not \"" + text + "\"";
        return false;
      }
      return true;
    };
    long n = 0;
    if (name == "--baud") {
      if (!number(kBaudTable.front(), kBaudTable.back(), n)) return std::nullopt;
      if (std::find(kBaudTable.begin(), kBaudTable.end(), n) == kBaudTable.end()) {
        error = "--baud wants " + baudRateChoices(" or ");
        return std::nullopt;
      }
      o.baud = static_cast<int>(n);
    } else if (name == "--address") {
      if (!number(1, 255, n)) return std::nullopt;
      o.unit.address = static_cast<int>(n);
    } else if (name == "--turnaround") {
      if (!number(0, 10000, n)) return std::nullopt;
      o.turnaroundMs = static_cast<int>(n);
    } else if (name == "--configs") {
      if (!number(2, 18, n)) return std::nullopt;
      if (n != 2 && n != 18) {
        error = "--configs wants 2 or 18";
        return std::nullopt;
      }
      o.unit.configs = static_cast<int>(n);
    } else if (name == "--logger-type") {
      if (!number(4, 9, n)) return std::nullopt;
      if (n != 4 && n != 9) {
        error = "--logger-type wants 4 or 9";
        return std::nullopt;
      }
      o.unit.loggerType = static_cast<int>(n);
    } else if (name == "--logger-records") {
      if (!number(0, 65535, n)) return std::nullopt;
      o.unit.loggerRecords = n;
      recordsGiven = true;
    } else if (name == "--logger-size") {
      if (!number(1, 65535, n)) return std::nullopt;
      o.unit.loggerSize = n;
    } else if (name == "--unit-code") {
      if (!number(0, 255, n)) return std::nullopt;
      o.unit.unitCode = static_cast<int>(n);
    } else if (name == "--echo-kinds") {
      if (!number(2, 4, n)) return std::nullopt;
      if (n != 2 && n != 4) {
        error = "--echo-kinds wants 2 or 4";
        return std::nullopt;
      }
      o.unit.echoKinds = static_cast<int>(n);
    } else if (name == "--seed") {
      if (!number(0, 4294967295L, n)) return std::nullopt;
      o.unit.seed = static_cast<std::uint32_t>(n);
    } else if (name == "--chords") {
      if (!number(1, 6, n)) return std::nullopt;
      o.unit.chords = static_cast<int>(n);
    } else if (name == "--calorimetry") {
      if (inlineValue) {
        error = "--calorimetry takes no value";
        return std::nullopt;
      }
      o.unit.calorimetry = true;
    } else if (name == "--kh") {
      std::string kh;
      if (!value(kh)) return std::nullopt;
      if (kh != "manual" && kh != "auto") {
        error = "--kh wants manual or auto";
        return std::nullopt;
      }
      o.unit.manualKh = kh == "manual";
    } else if (name == "--steady") {
      if (inlineValue) {
        error = "--steady takes no value";
        return std::nullopt;
      }
      o.unit.steady = true;
    } else if (name == "--chord-sos" || name == "--chord-noise" || name == "--chord-gain") {
      std::string text;
      if (!value(text)) return std::nullopt;
      const auto health = chordHealthValue(text, name != "--chord-noise");
      if (!health) {
        error = name + " wants CHORD:" + (name == "--chord-gain" ? "DB" : "PERCENT") +
                ", the chord 1 to 6, not \"" + text + "\"";
        return std::nullopt;
      }
      ChordHealth& h = o.unit.chordHealth[static_cast<std::size_t>(health->first - 1)];
      (name == "--chord-sos"     ? h.soundVelocityPercent
       : name == "--chord-noise" ? h.noisePercent
                                 : h.gainDb) = health->second;
    } else if (name == "--faults-shown") {
      if (!value(faultsShown)) return std::nullopt;
    } else if (name == "--faults") {
      if (!value(o.faults)) return std::nullopt;
    } else if (name == "--state") {
      if (!value(o.unit.statePath)) return std::nullopt;
      if (o.unit.statePath.empty()) {
        error = "--state needs a file name";
        return std::nullopt;
      }
    } else if (name == "--link") {
      if (!value(o.linkPath)) return std::nullopt;
      if (o.linkPath.empty()) {
        error = "--link needs a path";
        return std::nullopt;
      }
    } else {
      error = "unknown option \"" + args[i] + "\" (see --help)";
      return std::nullopt;
    }
  }
  if (recordsGiven && o.unit.loggerRecords > o.unit.loggerSize) {
    error = "--logger-records (" + std::to_string(o.unit.loggerRecords) +
            ") is more than the logger holds (--logger-size " + std::to_string(o.unit.loggerSize) +
            ")";
    return std::nullopt;
  }
  o.unit.loggerRecords = std::min(o.unit.loggerRecords, o.unit.loggerSize);
  if (!faultsShown.empty()) {
    const auto bits = shownFaultBits(faultsShown, std::max(o.unit.chords, 1));
    if (!bits) {
      error =
          "--faults-shown wants a list of flow, battery, relay, calorie, chords, chord1 ... "
          "chord6, not \"" +
          faultsShown + "\"";
      return std::nullopt;
    }
    o.unit.faultsShown = *bits;
  }
  if (!o.faults.empty()) {
    std::string faultError;
    if (!FaultPlan::parse(o.faults, o.unit.seed, faultError)) {
      error = "--faults: " + faultError;
      return std::nullopt;
    }
  }
  return o;
}

std::string unitHelpText() {
  std::string text = R"(Usage: flowdesk-unit [OPTION]...
A virtual flowmeter: a Jbus (Modbus-RTU) slave on a pseudo-terminal. The first
line of output is the terminal's path; open it as the serial port.

Line
  --baud N            the unit's own rate: $rates
                      (default 9600); frames sent while the line is set to
                      another rate are ignored, as a real unit would only see
                      garbage
  --address N         Jbus address, 1 to 255 (default 1); the unit answers at
                      this address and at address 0. A write of the factory
                      block changes it
  --turnaround MS     delay before the first byte of a reply (default 5);
                      replies are paced at 11 bits per byte at the line's rate
  --link PATH         make a symbolic link PATH to the terminal (removed at exit)
  --echo-requests     write every request back to the line as soon as it is
                      received, before the reply: what a two-wire RS-485
                      adapter without echo suppression hands the master

Unit
  --configs 2|18      number of configurations; 18 means a logger is fitted
                      (default 2)
  --logger-type 4|9   parameters per logger record (default 4)
  --logger-size N     logger size in records of that type (default 2000)
  --logger-records N  records already logged at start (default 100), one per
                      logging period up to now; more follow every period
                      until the logger is full (it does not wrap). Function 4
                      reads them by index, 0 being the oldest; indexes past
                      the last record give empty records (day byte 0x80)
  --unit-code N       unit code reported with the probe catalogue (default 1)
  --echo-kinds 2|4    echo screens per chord (default 4)
  --chords 1..6       chords in use in every configuration (default 1); each
                      has its own velocity, sound velocity, times and gain
  --calorimetry       the calorimetric variant: the status says so, and power
                      and the two temperatures move
  --kh manual|auto    the KH of every configuration (default auto)
  --steady            no fault comes and goes (only --faults-shown's stay)
                      and the flow holds still but for a 0.5 % scatter: a
                      unit a verification report passes
  --chord-sos K:PERCENT   chord K's sound velocity off by that share
  --chord-noise K:PERCENT chord K's velocity scattered by that share (its
                      standard deviation, poll after poll)
  --chord-gain K:DB   chord K's gain raised by that much; each of the three
                      may be given once per chord, for a verification report
                      to find an unhealthy chord
  --faults-shown LIST status bits that stay set, so the fault box fills: a
                      comma list of flow, battery, relay, calorie, chords (every
                      chord in use), chord1 ... chord6
  --state FILE        keep what was written (configurations, factory, maker and
                      logger settings) in FILE: loaded at start, where it
                      takes precedence over --address, --logger-type,
                      --chords, --calorimetry and --kh, and
                      saved after each write
  --seed N            seed of the measurement noise and of random faults
                      (default 1)

Faults
  --faults RULES      spoil some replies, for testing a master:
      RULES   := RULE { ';' RULE }
      RULE    := KIND [ '=' NUMBER ] TRIGGER
      TRIGGER := '@' N[-M] { ',' N[-M] }   on these request numbers
               | '%' P                     with probability P percent
               | '>=' N                    from request N on
    KIND
      drop        no reply
      silent      no reply (same as drop; reads well with >=N)
      crc         the reply with both CRC bytes inverted
      short       the reply without its last byte
      long        the reply with a zero byte more (its last two bytes still
                  pass a CRC check: only the length shows the fault)
      exception   an exception reply; =CODE sets the code (default 4)
      late        the first byte comes late; =MS sets the delay (default:
                  the master's first-byte limit + $lateMargin: $lateFast for reads at
                  $fastRate baud and above, else $lateSlow)
      pause       a silence in the middle of the reply; =MS sets it (default:
                  the master's inter-byte limit + $pauseMargin: $pauseFast at $fastRate baud
                  and above, $pauseSlow below)
    Requests are numbered from 1 in the order the unit accepts them (good CRC,
    its address or 0, its rate). The first matching rule wins.
    Example: --faults 'drop@3,5;crc%10;late@7;silent>=20'
    Like a half-duplex unit it does not listen while it answers (turnaround,
    late delay and pause included): a request sent meanwhile is lost. So a
    master that retries at once takes a late reply in its next attempt, and
    the tail of a paused reply spoils its next attempt; a late delay longer
    than three first-byte limits (late=$wholeExchange for reads) fails a whole
    exchange of three attempts.

  --trace             print every frame in hexadecimal on standard error
                      (also with FLOWDESK_TRACE=1)
  --help              this text
  --version           the program's version

Ends on SIGTERM or SIGINT with status 0; bad usage ends with status 2.
)";
  // The fault defaults follow the master's limits; so does their description.
  const int fast = firstFastRate();
  const int slow = static_cast<int>(kBaudTable.front());
  const auto ms = [](std::chrono::milliseconds d) { return std::to_string(d.count()) + " ms"; };
  const std::chrono::milliseconds threeReads =
      JbusMaster::kAttempts * link_timings::firstByteLimit(masterBaudIndex(fast), 3);
  const std::pair<const char*, std::string> values[] = {
      {"$lateMargin", ms(kLateMargin)},
      {"$lateFast", ms(lateReplyDelay(fast, 3))},
      {"$lateSlow", ms(lateReplyDelay(slow, 3))},
      {"$pauseMargin", ms(kPauseMargin)},
      {"$pauseFast", ms(replyPause(fast))},
      {"$pauseSlow", ms(replyPause(slow))},
      {"$fastRate", std::to_string(fast)},
      {"$rates", baudRateChoices(" or ")},
      {"$wholeExchange", std::to_string(roundPast(threeReads).count())},
  };
  for (const auto& [name, value] : values) {
    for (auto at = text.find(name); at != std::string::npos; at = text.find(name, at)) {
      text.replace(at, std::strlen(name), value);
      at += value.size();
    }
  }
  return text;
}

}  // namespace flowdesk::unit
