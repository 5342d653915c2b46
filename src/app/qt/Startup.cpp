// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/Startup.h"

#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "app/qt/MainWindow.h"
#include "app/qt/VirtualUnitProcess.h"
#include "base/AppSettings.h"
#include "base/ModeFlags.h"
#include "base/qt/QtTranslations.h"
#include "base/qt/UserInterface.h"
#include "base/qt/WindowPrinter.h"
#include "base/qt/core/QtSettingsStore.h"
#include "base/qt/core/SystemRegionalSettings.h"
#include "link/AppContext.h"
#include "link/SerialPort.h"

namespace flowdesk {

namespace {

// The value of --unit-args (or --unit-args=VALUE), empty when not given.
std::string unitArgsValue(const std::vector<std::string>& arguments) {
  std::string value;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (a == kUnitArgsSwitch && i + 1 < arguments.size()) {
      value = arguments[++i];
    } else if (a.starts_with(std::string(kUnitArgsSwitch) + "=")) {
      value = a.substr(std::string(kUnitArgsSwitch).size() + 1);
    }
  }
  return value;
}

// The command line the mode switches are looked for in: without the words
// meant for the virtual unit, which may hold anything.
std::string commandLineOf(const std::vector<std::string>& arguments) {
  std::vector<const char*> argv;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (i > 0 && a == kUnitArgsSwitch) {
      ++i;
      continue;
    }
    if (i > 0 && a.starts_with(std::string(kUnitArgsSwitch) + "=")) continue;
    argv.push_back(a.c_str());
  }
  return joinCommandLine(static_cast<int>(argv.size()), argv.data());
}

}  // namespace

int runApplication(const std::vector<std::string>& arguments, const StartupOptions& options) {
  const std::string executable = options.executable.empty() ? executablePath() : options.executable;
  const std::string applicationName = applicationNameOf(executable);
  const std::string programDir = programDirectoryOf(executable);

  AppContext context;
  context.modeFlags = ModeFlags::fromCommandLine(commandLineOf(arguments), processEnvironment());

  QtSettingsStore store(QString::fromStdString(applicationName));
  loadSettings(store, context.settings);
  installQtTranslations(context.settings.language());

  // The virtual unit lives as long as the main window; its terminal is
  // Com1's device for this run only, so the operator's saved mapping stays.
  std::unique_ptr<VirtualUnitProcess> unit;
  const bool wantUnit = std::find(arguments.begin() + (arguments.empty() ? 0 : 1), arguments.end(),
                                  kVirtualUnitSwitch) != arguments.end();
  if (wantUnit) {
    unit = std::make_unique<VirtualUnitProcess>();
    QStringList unitArguments;
    for (const std::string& a : options.virtualUnitArguments) {
      unitArguments << QString::fromStdString(a);
    }
    // Split as a shell splits, so "--faults-shown 'flow,chords'" works.
    unitArguments << QProcess::splitCommand(QString::fromStdString(unitArgsValue(arguments)));
    const QString program = VirtualUnitProcess::findProgram(QString::fromStdString(programDir));
    unit->setLanguage(context.settings.language());
    if (unit->start(program, unitArguments)) {
      context.moveVirtualUnit(unit->devicePath().toStdString());
      std::fprintf(stderr, "flowdesk: virtual unit on %s (Com1)\n", qPrintable(unit->devicePath()));
      // A unit that ended left a terminal name the system may give to
      // another program: the ports follow the unit to its new one.
      QObject::connect(unit.get(), &VirtualUnitProcess::restarted, unit.get(),
                       [&context, u = unit.get()](const QString& device) {
                         context.moveVirtualUnit(device.toStdString());
                         if (device.isEmpty()) {
                           std::fprintf(stderr, "flowdesk: %s\n", qPrintable(u->errorText()));
                         } else {
                           std::fprintf(stderr, "flowdesk: virtual unit started again on %s\n",
                                        qPrintable(device));
                         }
                       });
    } else {
      std::fprintf(stderr, "flowdesk: %s\n", qPrintable(unit->errorText()));
      userInterface().message(nullptr, UserInterface::Icon::kWarning,
                              QString::fromStdString(applicationName), unit->errorText());
    }
  }

  // While the link waits for bytes, windows repaint and timers fire.
  const ScopedIdleHook idle([](SerialPort*) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return 0;
  });

  PrintEnvironment print;
  print.language = [&context] { return context.settings.language(); };
  print.internalName = context.versions.InternalName;
  print.regional = systemRegionalSettings();
  setPrintEnvironment(print);

  {
    // What the main window returns says nothing about success; the exit status
    // comes from saving the settings.
    MainWindow window(context, options.screens);
    if (options.runMainWindow) {
      options.runMainWindow(window);
    } else {
      window.exec();
    }
  }

  finishPendingPrint();
  setPrintEnvironment({});
  const bool saved = saveSettings(store, context.settings);
  if (unit) unit->stop();
  if (!saved) {
    std::fprintf(stderr, "flowdesk: the settings could not be written to %s\n",
                 qPrintable(store.fileName()));
    return 1;
  }
  return 0;
}

}  // namespace flowdesk
