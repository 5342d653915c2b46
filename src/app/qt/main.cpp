// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/qt/CommandLineHelp.h"
#include "app/qt/QuitSignals.h"
#include "app/qt/Startup.h"
#include "link/qt/Screen.h"

namespace {

// Without any display Qt aborts with a plugin message that tells a
// technician nothing; say what is missing instead.
bool haveDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

// Closes the windows as the operator would. A screen that ends only after a
// last exchange with the unit (the echo display stops the unit's echo screen
// first) refuses the first close and ends at its next tick: ask again until
// every window has gone.
void closeEveryWindow() {
  flowdesk::Screen::endWithoutQuestions();
  QApplication::closeAllWindows();
  for (const QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible()) {
      QTimer::singleShot(200, closeEveryWindow);
      return;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv, argv + argc);
  // Answered before any display is looked for: the man page is made from
  // this text at build time, with no desktop around.
  switch (flowdesk::earlyRequestOf(arguments)) {
    case flowdesk::EarlyRequest::kHelp:
      std::fputs(flowdesk::guiHelpText().c_str(), stdout);
      return 0;
    case flowdesk::EarlyRequest::kVersion:
      std::fputs(flowdesk::guiVersionText().c_str(), stdout);
      return 0;
    case flowdesk::EarlyRequest::kNone:
      break;
  }
  if (!haveDisplay()) {
    std::fprintf(stderr,
                 "flowdesk: no display (DISPLAY and WAYLAND_DISPLAY are not set); start it "
                 "from a desktop session, or under xvfb-run\n");
    return 2;
  }
  QApplication app(argc, argv);
  // Ended by a signal, the program closes its windows (a screen first, then
  // the main window) as the operator would, and ends as after Exit.
  const flowdesk::QuitSignals quitSignals(closeEveryWindow);
  return flowdesk::runApplication(arguments);
}
