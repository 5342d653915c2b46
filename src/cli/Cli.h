// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "base/Clock.h"
#include "base/Environment.h"
#include "base/RegionalFormat.h"
#include "base/SettingsStore.h"
#include "echo/EchoFile.h"
#include "files/PlotSession.h"
#include "link/SerialPort.h"
#include "report/ReportDocument.h"
#include "report/VerificationSession.h"

namespace flowdesk {

// Writes the view of a plot session as a PNG or SVG image (by the path's
// extension), with `title` above the chart.
using PlotImageWriter = std::function<FileResult(
    const std::string& path, const PlotSession& session, const std::string& title,
    Language language, const RegionalSettings& regional)>;

// What a run of flowdesk-cli takes from its surroundings; tests set their own.
using ReportPdfWriter = std::function<FileResult(
    const std::string& path, const ReportDocument& document, const std::vector<ChordEcho>& echoes)>;

struct CliEnvironment {
  EnvironmentLookup env = processEnvironment();
  Clock* clock = nullptr;  // null: the system clock
  // How the master opens its port; empty: the serial devices. Tests put an
  // in-memory line here.
  PortOpener portOpener;
  // The operator's saved settings, the GUI's own store (the program hands
  // it in); null: a store in memory, so that nothing is kept.
  SettingsStore* settings = nullptr;
  // Where `settings` keeps them, named when they cannot be saved.
  std::string settingsFile;
  // Dates and times as the desktop writes them (the program reads the
  // system locale, as the GUI does).
  RegionalSettings regional;
  // Writes one echo picture as a PNG (the program paints it through Qt);
  // empty: show --png is refused.
  std::function<FileResult(const std::string& path, const EchoImage& image)> writeEchoPicture;
  // Writes a plot image (the program draws it with Qt Charts, off screen);
  // empty: plot is refused.
  PlotImageWriter writePlot;
  // Writes a verification report's PDF (the program draws it through Qt,
  // off screen); empty: report is refused.
  ReportPdfWriter writeReportPdf;
};

// Runs flowdesk-cli with the arguments after the program's name. Returns the
// exit status (kExitDone ... kExitNoUnit of CliSession.h, the table of
// --help), with one line on `err` when it is not 0.
int runCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
           const CliEnvironment& environment = {});

// The --help text, in French or English.
std::string cliHelpText(Language language);

}  // namespace flowdesk
