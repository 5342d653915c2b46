// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "base/qt/core/QtSettingsStore.h"
#include "cli/Cli.h"

namespace flowdesk {

// What flowdesk-cli takes from the desktop it runs on, read as flowdesk
// reads it: the operator's settings through the GUI's own QSettings store
// (the same file, $XDG_CONFIG_HOME/flowdesk/flowdesk.ini), and the date, time
// and decimal conventions of the system locale. Needs no QCoreApplication.
class SystemCliEnvironment {
 public:
  SystemCliEnvironment();

  // Valid as long as this object lives.
  const CliEnvironment& environment() const { return environment_; }

 private:
  QtSettingsStore store_;
  CliEnvironment environment_;
};

}  // namespace flowdesk
