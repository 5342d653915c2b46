// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "unit/VirtualUnit.h"

namespace flowdesk::unit {

struct UnitOptions {
  UnitSettings unit;
  int baud = 9600;
  int turnaroundMs = 5;
  std::string faults;
  std::string linkPath;
  // Every request is written back to the line before the reply, as a
  // two-wire RS-485 adapter without echo suppression hands it to the master.
  bool echoRequests = false;
  bool trace = false;
  bool help = false;
  bool version = false;
};

// Parses the command line (without the program name). Nothing comes back on
// bad usage, with `error` set to one line that says what is wrong.
std::optional<UnitOptions> parseUnitOptions(const std::vector<std::string>& args,
                                            std::string& error);

std::string unitHelpText();

// The status bits of --faults-shown's comma list ("flow,chords"); "chords"
// means chords 1 to `chords`. Nothing when a word is not one of them.
std::optional<std::uint16_t> shownFaultBits(const std::string& list, int chords);

// "K:VALUE" of --chord-sos, --chord-noise and --chord-gain: the chord, 1 to
// 6, and a decimal value (not below 0 unless `signedValue`).
std::optional<std::pair<int, double>> chordHealthValue(const std::string& text, bool signedValue);

}  // namespace flowdesk::unit
