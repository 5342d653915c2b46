// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/ModeFlags.h"

namespace flowdesk {

ModeFlags ModeFlags::fromCommandLine(std::string_view commandLine, bool nvdAppSet) {
  ModeFlags flags;
  flags.unitTypeSelector = nvdAppSet;
  const auto contains = [commandLine](std::string_view needle) {
    return commandLine.find(needle) != std::string_view::npos;
  };
  if (contains("-q")) {
    flags.factory = true;
    if (contains("-kRwT")) {
      flags.maker = true;
      if (contains("boot")) flags.initialisation = true;
    }
  }
  return flags;
}

ModeFlags ModeFlags::fromCommandLine(std::string_view commandLine, const EnvironmentLookup& env) {
  const bool nvdApp = env && env(kUnitTypeSelectorVariable).has_value();
  return fromCommandLine(commandLine, nvdApp);
}

std::string joinCommandLine(int argc, const char* const* argv) {
  std::string line;
  for (int i = 1; i < argc && argv != nullptr; ++i) {
    if (argv[i] == nullptr) break;
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}

}  // namespace flowdesk
