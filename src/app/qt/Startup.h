// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "app/qt/Screens.h"

namespace flowdesk {

class MainWindow;

struct StartupOptions {
  // The program file: its name names the settings, its folder holds the
  // first run's data folder and is where flowdesk-unit is looked for first.
  // Empty: the running program's own file.
  std::string executable;
  // Runs the main window until it closes; exec() by default. Tests drive the
  // window through it.
  std::function<int(MainWindow& window)> runMainWindow;
  ScreenRegistry screens = builtScreens();
  // Arguments handed to flowdesk-unit by --virtual-unit.
  std::vector<std::string> virtualUnitArguments{"--configs", "18"};
};

// The program from start to end, in the order the settings need: mode flags
// from the command line and Nvd_App, settings loaded, the virtual unit
// started when asked (Com1 mapped to it for this run only), the idle hook
// that keeps windows alive while the link waits, the main window run until
// it closes, then the settings saved and the virtual unit ended. A
// QApplication must exist. Returns the process's exit status.
int runApplication(const std::vector<std::string>& arguments, const StartupOptions& options = {});

// The switch that starts the virtual unit.
inline constexpr const char* kVirtualUnitSwitch = "--virtual-unit";
// --unit-args "WORDS": more arguments for that unit ("--chords 6 --calorimetry").
inline constexpr const char* kUnitArgsSwitch = "--unit-args";

}  // namespace flowdesk
