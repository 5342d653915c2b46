#pragma once
#include <functional>

class QWidget;

namespace flowdesk {

class AppContext;

// Opens one screen modally over `parent` and returns when it closes. The
// main window has set OpenedFromFile and CurrentFilePath before the call.
using ScreenOpener = std::function<void(AppContext& context, QWidget* parent)>;

// The screens the main window's commands open. A command whose screen is
// not in this build has no opener: its menu entry stays disabled, and Open
// of such a file opens nothing.
struct ScreenOpeners {
  ScreenOpener measurement;
  ScreenOpener calibrationSheet;
  ScreenOpener echoDisplay;
  ScreenOpener loggerConfiguration;
  ScreenOpener loggerViewer;
  ScreenOpener factorySettings;
  ScreenOpener makerSettings;
  ScreenOpener specialProbe;
  ScreenOpener initialisation;
};

// The screens of this build. Each screen adds its own opener here.
ScreenOpeners builtScreens();

}  // namespace flowdesk
