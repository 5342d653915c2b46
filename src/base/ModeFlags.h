// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <string_view>

#include "base/Environment.h"

namespace flowdesk {

// The start-up switches. All false unless set at start-up, read-only after.
struct ModeFlags {
  bool factory = false;           // "-q": factory-settings page and file kind
  bool maker = false;             // "-q" and "-kRwT": maker page, special-probe file
  bool initialisation = false;    // "-q", "-kRwT" and "boot": initialisation command
  bool unitTypeSelector = false;  // Nvd_App set: unit-type choice on the maker page

  bool operator==(const ModeFlags&) const = default;

  // The switches are plain, case-sensitive substring tests on the whole
  // command line, nested: an inner switch counts only when the outer ones
  // are present. The environment variable counts as soon as it exists, even
  // empty.
  static ModeFlags fromCommandLine(std::string_view commandLine, bool nvdAppSet);
  static ModeFlags fromCommandLine(std::string_view commandLine, const EnvironmentLookup& env);
};

// The command line as one text: the arguments after the program's name,
// joined with single blanks. The program's own path is left out so that a
// folder name such as "/opt/x-q/" cannot switch factory mode on.
std::string joinCommandLine(int argc, const char* const* argv);

inline constexpr const char* kUnitTypeSelectorVariable = "Nvd_App";

}  // namespace flowdesk
