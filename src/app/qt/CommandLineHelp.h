// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <vector>

namespace flowdesk {

// What the command line asks for before any window: --help (or -h) and
// --version are answered on standard output without a display, so a shell,
// a package's man page and a technician without a desktop can read them.
enum class EarlyRequest { kNone, kHelp, kVersion };

// The first of --help, -h or --version among the arguments after the
// program's name. The words after --unit-args belong to the virtual unit
// ("--unit-args --help" is the unit's business, not ours).
EarlyRequest earlyRequestOf(const std::vector<std::string>& arguments);

// The usage text of flowdesk, in English as the other programs' are.
std::string guiHelpText();

// "flowdesk VERSION" and the copyright line.
std::string guiVersionText();

}  // namespace flowdesk
