// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "base/ModeFlags.h"

class QMenuBar;

namespace flowdesk {

// The menus of the main window: the bar's and their sub-menus.
enum class Menu { kFile, kNew, kDialogue, kLogger, kConfiguration, kAbout };

// The start-up switch that puts an entry in the menu (base/ModeFlags.h).
enum class ModeSwitch { kNone, kFactory, kMaker, kInitialisation };
bool switchedOn(ModeSwitch mode, const ModeFlags& flags);

// Where an entry stands: its menu, and its rank there (a menu's entries and
// sub-menus are in the order of their ranks).
struct MenuPlace {
  Menu menu;
  int rank;
};

// One command of the menu, as a screen registry row or the main window
// gives it.
struct MenuEntry {
  int command;
  MenuPlace place;
  BilingualText text;  // with its '&' accelerator
  ModeSwitch mode = ModeSwitch::kNone;
  bool checkable = false;        // a setting turned on and off, ticked when on
  bool separatorBefore = false;  // set off from the entries above it
};

// One entry of the menu as built: a command, a separator or a sub-menu.
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
// Whether a checkable command's setting is on.
using CommandChecked = std::function<bool(int command)>;

// The menu of `entries` in a language: the menus and sub-menus each in its
// fixed place, in each the entries the mode flags switch on, by rank. The
// entries a switch adds are set off by a separator from those above them.
std::vector<MenuNode> buildMainMenu(const std::vector<MenuEntry>& entries, const ModeFlags& flags,
                                    Language language, const CommandAvailable& available,
                                    const CommandChecked& checked = {});

// Replaces the contents of a menu bar with the menu; each command's action
// carries its number as data(), is named "command<number>" and runs
// `onCommand` with its number when triggered (by mouse, key or code).
void fillMenuBar(QMenuBar& bar, const std::vector<MenuNode>& menu,
                 const std::function<void(int command)>& onCommand);

}  // namespace flowdesk
