// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/Screens.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "base/Texts.h"
#include "base/qt/UserInterface.h"
#include "config/DefaultFiles.h"
#include "config/qt/CalibrationSheet.h"
#include "config/qt/FactorySettingsDialog.h"
#include "config/qt/InitialisationDialog.h"
#include "config/qt/MakerSettingsDialog.h"
#include "config/qt/SpecialProbeDialog.h"
#include "echo/qt/EchoDialog.h"
#include "files/qt/PlotDialog.h"
#include "logger/LoggerPlot.h"
#include "logger/qt/LoggerConfigurationDialog.h"
#include "logger/qt/LoggerViewerDialog.h"
#include "measure/MeasurementPlot.h"
#include "measure/qt/MeasurementDialog.h"

namespace flowdesk {

namespace {

// Every screen opens the same way: built without talking to the unit, then
// opened on its source; when there is nothing to show (the screen has said
// why, or has nothing to say) it is not run.
template <typename Dialog>
void openScreen(AppContext& context, const ScreenSource& source, QWidget* parent) {
  Dialog dialog(context, parent);
  if (dialog.open(source)) userInterface().runDialog(dialog);
}

// The plot window on the file, read by the kind's plot source.
template <typename Source>
void openPlot(AppContext& context, const ScreenSource& source, QWidget* parent) {
  PlotDialog::run(context, source.filePath, std::make_unique<Source>(), parent);
}

}  // namespace

// Every command of the main window that leads to a screen or a new file is
// one row here, and the main window reads nothing else to know what its
// commands do and where its menu shows them:
//   {command, {menu, rank}, text, switch, file kind, opener, writer, flags}
// - command: the kCmd... number of the menu entry (a screen of the
//   program's own takes the next free number, after kCmdOpenAsPlot).
// - menu and rank: the menu or sub-menu of the entry (Menu, MainMenu.h) and
//   its place there; the other entries of the menu have ranks of tens.
// - text: the entry in French and English, with its '&' accelerator, unless
//   another screen shows the same pair (then the text table's constant).
// - switch: the start-up switch that puts the entry in the menu; the
//   entries a switch adds are set off by a separator.
// - file kind: the files the screen opens; Open of a file of that kind goes
//   to the first row of the kind that has an opener, so a dialogue command
//   listed before its New command is the one that opens the files.
// - opener: empty while the screen is not built, which keeps its menu entry
//   disabled and makes Open of its files open nothing. A screen, once built,
//   fills in the opener of its one row (a function that makes the dialog and
//   runs it through userInterface().runDialog); Open of its files and its New
//   command then reach it without any other change.
// - default-file writer: New commands only; the entry is enabled even while
//   the screen is missing, since the file is still worth having.
// - flags: ScreenFlag bits, see Screens.h.
ScreenRegistry builtScreens() {
  using M = Menu;
  using S = ModeSwitch;
  const DefaultFileWriter defaults = writeDefaultFile;
  return {
      {kCmdMeasurement,
       {M::kDialogue, 10},
       {"&Mesure", "&Measurement"},
       S::kNone,
       FileKind::kMeasurement,
       openScreen<MeasurementDialog>,
       {},
       kRefreshPicture},
      {kCmdCalibration,
       {M::kDialogue, 20},
       kTxtMenuCalibration,
       S::kNone,
       FileKind::kCalibration,
       openScreen<CalibrationSheet>,
       {},
       kRefreshPicture},
      {kCmdEchoDisplay,
       {M::kDialogue, 30},
       {"&Visu. Echo", "&Echo display"},
       S::kNone,
       FileKind::kEcho,
       openScreen<EchoDialog>,
       {},
       kConfirmStop},
      {kCmdLoggerConfiguration,
       {M::kLogger, 10},
       kTxtMenuCalibration,
       S::kNone,
       std::nullopt,
       openScreen<LoggerConfigurationDialog>,
       {},
       kRefreshPicture},
      {kCmdLoggerDisplay,
       {M::kLogger, 20},
       {"&Visualisation", "&Display"},
       S::kNone,
       FileKind::kLogger,
       openScreen<LoggerViewerDialog>,
       {},
       kRefreshPicture},
      {kCmdFactorySettings,
       {M::kDialogue, 50},
       kTxtMenuFactorySettings,
       S::kFactory,
       FileKind::kFactorySettings,
       openScreen<FactorySettingsDialog>,
       {},
       kRefreshPicture},
      {kCmdMakerSettings,
       {M::kDialogue, 60},
       kTxtMenuNorvadineSettings,
       S::kMaker,
       FileKind::kMakerSettings,
       openScreen<MakerSettingsDialog>,
       {},
       kRefreshPicture},
      {kCmdInitialisation,
       {M::kDialogue, 70},
       {"&Initialisation", "&Initialization"},
       S::kInitialisation,
       std::nullopt,
       openScreen<InitialisationDialog>,
       {},
       kScreenPlain},
      {kCmdNewCalibration,
       {M::kNew, 10},
       kTxtMenuCalibration,
       S::kNone,
       FileKind::kCalibration,
       openScreen<CalibrationSheet>,
       defaults,
       kOpenNewFile},
      {kCmdNewFactorySettings,
       {M::kNew, 20},
       kTxtMenuFactorySettings,
       S::kFactory,
       FileKind::kFactorySettings,
       openScreen<FactorySettingsDialog>,
       defaults,
       kOpenNewFile},
      {kCmdNewMakerSettings,
       {M::kNew, 30},
       kTxtMenuNorvadineSettings,
       S::kMaker,
       FileKind::kMakerSettings,
       openScreen<MakerSettingsDialog>,
       defaults,
       kOpenNewFile},
      // The special-probe page has no other command: its row opens the files too.
      {kCmdNewSpecialProbe,
       {M::kNew, 40},
       {"&Fichier SP", "&SP File"},
       S::kMaker,
       FileKind::kSpecialProbe,
       openScreen<SpecialProbeDialog>,
       defaults,
       kOpenNewFile},
  };
}

ScreenOpener plotOpener(FileKind kind) {
  switch (kind) {
    case FileKind::kMeasurement:
      return openPlot<MeasurementPlotSource>;
    case FileKind::kLogger:
      return openPlot<LoggerPlotSource>;
    default:
      return {};
  }
}

const ScreenRow* screenForCommand(const ScreenRegistry& screens, int command) {
  const auto row = std::find_if(screens.begin(), screens.end(),
                                [command](const ScreenRow& r) { return r.command == command; });
  return row == screens.end() ? nullptr : &*row;
}

ScreenRow* screenForCommand(ScreenRegistry& screens, int command) {
  return const_cast<ScreenRow*>(screenForCommand(std::as_const(screens), command));
}

const ScreenRow* screenForFile(const ScreenRegistry& screens, FileKind kind) {
  const auto row = std::find_if(screens.begin(), screens.end(), [kind](const ScreenRow& r) {
    return r.kind == kind && static_cast<bool>(r.open);
  });
  return row == screens.end() ? nullptr : &*row;
}

}  // namespace flowdesk
