// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "base/ModeFlags.h"

class QMenuBar;

namespace flowdesk {

// The main window's command numbers. They are kept as the unit's
// documentation numbers them, so a trace or a report reads the same.
enum Command : int {
  kCmdOpen = 32771,
  kCmdExit = 32772,
  kCmdMeasurement = 32773,
  kCmdCalibration = 32774,
  kCmdFactorySettings = 32776,
  kCmdMakerSettings = 32777,
  kCmdInitialisation = 32778,
  kCmdConfiguration = 32779,
  kCmdLoggerConfiguration = 32780,
  kCmdLoggerDisplay = 32781,
  kCmdAbout = 32782,
  kCmdNewCalibration = 32784,
  kCmdNewFactorySettings = 32785,
  kCmdNewMakerSettings = 32786,
  kCmdEchoDisplay = 32788,
  kCmdNewSpecialProbe = 32789,
  // The program's own, after the documented ones: File > Open as plot.
  kCmdOpenAsPlot = 32790,
};

// One entry of the menu: a command, a separator or a sub-menu.
struct MenuNode {
  std::string text;  // UTF-8, with its '&' accelerator
  int command = 0;   // 0 for separators and sub-menus
  bool separator = false;
  bool enabled = true;
  bool checkable = false;  // a setting turned on and off, shown ticked when on
  bool checked = false;
  std::vector<MenuNode> children;  // a sub-menu when not empty

  bool isSubMenu() const { return !children.empty(); }
};

// Whether a command can run in this build: the screens that are not built
// yet keep their entries, disabled, so no command pretends to work.
using CommandAvailable = std::function<bool(int command)>;

// The main menu in a language, with the entries the mode flags add.
// `openAsPlot` ticks File > Open as plot.
std::vector<MenuNode> buildMainMenu(const ModeFlags& flags, Language language,
                                    const CommandAvailable& available, bool openAsPlot = false);

// Replaces the contents of a menu bar with the menu; each command's action
// carries its number as data(), is named "command<number>" and runs
// `onCommand` with its number when triggered (by mouse, key or code).
void fillMenuBar(QMenuBar& bar, const std::vector<MenuNode>& menu,
                 const std::function<void(int command)>& onCommand);

}  // namespace flowdesk
