// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/CommandLineHelp.h"

#include "app/qt/Startup.h"
#include "base/BuildInfo.h"

namespace flowdesk {

EarlyRequest earlyRequestOf(const std::vector<std::string>& arguments) {
  const std::string unitArgsEquals = std::string(kUnitArgsSwitch) + "=";
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (a == kUnitArgsSwitch) {
      ++i;  // its value is the unit's, whatever it says
    } else if (a == "--help" || a == "-h") {
      return EarlyRequest::kHelp;
    } else if (a == "--version") {
      return EarlyRequest::kVersion;
    }
  }
  return EarlyRequest::kNone;
}

std::string guiHelpText() {
  return std::string("Usage: flowdesk [") + kVirtualUnitSwitch + " [" + kUnitArgsSwitch +
         " \"WORDS\"]] [-q [-kRwT [boot]]]\n" +
         R"(Reads, sets up and records an ultrasonic transit-time flowmeter over its
serial line (Jbus), and opens, prints and converts its files.

Options:
  --virtual-unit      start flowdesk-unit, a simulated flowmeter on a
                      pseudo-terminal, and use it as Com1 for this run only
  --unit-args "WORDS" more arguments for that unit, split as a shell splits
                      them (see flowdesk-unit --help), e.g.
                      --unit-args "--chords 6 --calorimetry"
  -q                  factory mode: adds the factory-settings entries
  -q -kRwT            maker mode: adds the maker entries as well
  -q -kRwT boot       adds the initialisation command as well
  -h, --help          this text
  --version           the program's version
The mode switches are looked for anywhere on the command line.

Environment:
  Nvd_App             when set, even empty, the maker page offers the
                      unit-type choice
  FLOWDESK_TRACE=1    every frame exchanged with the unit in hexadecimal on
                      standard error
  DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM
                      the display to open; without any of them flowdesk
                      says so and ends with status 2

Files:
  $XDG_CONFIG_HOME/flowdesk/flowdesk.ini (by default ~/.config/flowdesk/)
                      the settings, shared with flowdesk-cli

Serial devices: the account needs read and write access to the adapter,
usually by being in the group dialout (sudo usermod -aG dialout $USER, then
log out and in); when a port cannot be opened, flowdesk says what is missing.

Exit status: 0 when the settings were saved at the end, 1 when they could
not be written, 2 without a display.
)";
}

std::string guiVersionText() {
  // The command line speaks English.
  return std::string("flowdesk ") + build::kFileVersion + "\n" + build::kLegalCopyrightEn + "\n";
}

}  // namespace flowdesk
