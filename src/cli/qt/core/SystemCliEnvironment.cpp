// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/qt/core/SystemCliEnvironment.h"

#include "base/qt/core/SystemRegionalSettings.h"
#include "cli/qt/core/EchoPng.h"
#include "report/qt/core/ReportPdf.h"

namespace flowdesk {

namespace {

// The GUI names its settings after its program, flowdesk; the command-line
// tool shares that file so that both see the same ports, address, rate and
// probe catalogue.
constexpr const char* kGuiApplicationName = "flowdesk";

}  // namespace

SystemCliEnvironment::SystemCliEnvironment() : store_(QString::fromLatin1(kGuiApplicationName)) {
  environment_.settings = &store_;
  environment_.settingsFile = store_.fileName().toStdString();
  environment_.regional = systemRegionalSettings();
  environment_.writeEchoPicture = writeEchoPng;
  environment_.writeReportPdf = writeReportPdf;
}

}  // namespace flowdesk
