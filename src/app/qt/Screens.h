// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/qt/MainMenu.h"
#include "base/AppSettings.h"
#include "base/BinaryFile.h"
#include "files/FileKinds.h"
#include "link/qt/Screen.h"

class QWidget;

namespace flowdesk {

class AppContext;

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
  // The program's own, after the documented ones: File > Open as plot. A
  // screen of the program's own takes the next number in its row.
  kCmdOpenAsPlot = 32790,
};

// Opens one screen on its source modally over `parent` and returns when it
// closes: the unit from the menu, the file from Open and New.
using ScreenOpener =
    std::function<void(AppContext& context, const ScreenSource& source, QWidget* parent)>;

// Writes a file of the kind's default values at exactly that path
// (writeDefaultFile in the program; tests may put their own).
using DefaultFileWriter =
    std::function<FileResult(FileKind kind, const std::string& path, const AppSettings& settings)>;

// What a command needs of the main window besides running its screen.
enum ScreenFlag : unsigned {
  kScreenPlain = 0,
  // The screen may change the unit type: the picture is drawn again after it
  // closes (menu command only; a screen opened on a file changes no unit).
  kRefreshPicture = 1u << 0,
  // The screen stops the measurement: the stop-measurement confirmation runs
  // first and a "no" opens nothing (menu command only).
  kConfirmStop = 1u << 1,
  // New: the file written opens at once, in the screen that opens files of
  // the row's kind.
  kOpenNewFile = 1u << 3,
};

// One command of the main window that runs a screen or makes a file: all
// that the main window and its menu know of it.
struct ScreenRow {
  int command = 0;                      // kCmd..., or the next free number
  MenuPlace place{Menu::kDialogue, 0};  // its menu, and its rank there
  BilingualText text{{"", ""}};         // the menu entry, French then English
  ModeSwitch mode = ModeSwitch::kNone;  // the start-up switch that shows it
  std::optional<FileKind> kind;         // files the screen opens (Open), or New makes
  ScreenOpener open;                    // empty while the screen is not in this build
  DefaultFileWriter writeDefault;       // set for the New commands only
  unsigned flags = kScreenPlain;        // ScreenFlag bits

  // The menu entry is enabled: a screen to open, or a file to write (New
  // writes its file even while the screen that would show it is missing).
  bool available() const { return static_cast<bool>(open) || static_cast<bool>(writeDefault); }
  MenuEntry menuEntry() const { return {command, place, text, mode}; }
};

using ScreenRegistry = std::vector<ScreenRow>;

// The screens of this build, one row per command (see Screens.cpp).
ScreenRegistry builtScreens();

// The row of a command, or nullptr for a command that no row names (Open,
// Exit, Configuration and About are the main window's own).
const ScreenRow* screenForCommand(const ScreenRegistry& screens, int command);
ScreenRow* screenForCommand(ScreenRegistry& screens, int command);

// The plot window on a file of the kind, which Open uses instead of the
// kind's screen when the OpenFilesAsPlot setting asks for it; empty for the
// kinds that have no plot (only measurement and logger files have series).
ScreenOpener plotOpener(FileKind kind);

// The row whose screen opens files of a kind: the first row of the kind with
// an opener; nullptr when no such screen is built.
const ScreenRow* screenForFile(const ScreenRegistry& screens, FileKind kind);

}  // namespace flowdesk
