// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/Screens.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "app/qt/MainMenu.h"
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
// commands do:
//   {command, file kind, opener, default-file writer, flags}
// - command: the kCmd... number of the menu entry.
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
  const DefaultFileWriter defaults = writeDefaultFile;
  return {
      {kCmdMeasurement, FileKind::Measurement, openScreen<MeasurementDialog>, {}, kRefreshPicture},
      {kCmdCalibration, FileKind::Calibration, openScreen<CalibrationSheet>, {}, kRefreshPicture},
      {kCmdEchoDisplay, FileKind::Echo, openScreen<EchoDialog>, {}, kConfirmStop},
      {kCmdLoggerConfiguration,
       std::nullopt,
       openScreen<LoggerConfigurationDialog>,
       {},
       kRefreshPicture},
      {kCmdLoggerDisplay, FileKind::Logger, openScreen<LoggerViewerDialog>, {}, kRefreshPicture},
      {kCmdFactorySettings,
       FileKind::FactorySettings,
       openScreen<FactorySettingsDialog>,
       {},
       kRefreshPicture},
      {kCmdMakerSettings,
       FileKind::MakerSettings,
       openScreen<MakerSettingsDialog>,
       {},
       kRefreshPicture},
      {kCmdInitialisation, std::nullopt, openScreen<InitialisationDialog>, {}, kScreenPlain},
      {kCmdNewCalibration, FileKind::Calibration, openScreen<CalibrationSheet>, defaults,
       kOpenNewFile},
      {kCmdNewFactorySettings, FileKind::FactorySettings, openScreen<FactorySettingsDialog>,
       defaults, kOpenNewFile},
      {kCmdNewMakerSettings, FileKind::MakerSettings, openScreen<MakerSettingsDialog>, defaults,
       kOpenNewFile},
      // The special-probe page has no other command: its row opens the files too.
      {kCmdNewSpecialProbe, FileKind::SpecialProbe, openScreen<SpecialProbeDialog>, defaults,
       kOpenNewFile},
  };
}

ScreenOpener plotOpener(FileKind kind) {
  switch (kind) {
    case FileKind::Measurement:
      return openPlot<MeasurementPlotSource>;
    case FileKind::Logger:
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
