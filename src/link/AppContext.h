// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <string>

#include "base/AppSettings.h"
#include "base/Clock.h"
#include "base/ModeFlags.h"
#include "base/VersionStrings.h"
#include "link/DeviceImage.h"
#include "link/JbusMaster.h"
#include "link/SerialPort.h"

namespace flowdesk {

// The objects that live for the whole run and that every screen shares: the
// settings, the start-up flags, the copy of the unit, the Jbus master and the
// file-or-unit choice of the screen about to open. The GUI and the CLI each
// make one.
class AppContext {
 public:
  explicit AppContext(Clock& clock = systemClock(), DeviceImage& image = deviceImage());
  ~AppContext();
  AppContext(const AppContext&) = delete;
  AppContext& operator=(const AppContext&) = delete;

  AppSettings settings;
  ModeFlags modeFlags;
  VersionStrings versions;
  DeviceImage& image;
  JbusMaster master;

  // Set before a screen opens: show the file at CurrentFilePath instead of
  // reading the unit.
  bool OpenedFromFile = false;
  std::string CurrentFilePath;

  // Device paths for this run only (the virtual unit on Com1, the CLI's
  // --device); they win over the saved DeviceN and are never saved.
  std::array<std::string, kPortCount> deviceOverride;

  // The terminal of the virtual unit this run started (flowdesk
  // --virtual-unit), first on Com1: the connection page names it, an emptied
  // device box on Com1 returns to it, and it is never saved as a port's
  // device. Empty without one.
  static constexpr int kVirtualUnitPort = 0;
  std::string virtualUnitDevice;
  // The virtual unit now runs on `device` (started, or started again after
  // it ended; empty: it could not be): every port that opened its old
  // terminal opens the new one, and the unit, being new, is identified again.
  // The old path is dropped everywhere: the system may hand it to another
  // program, which must not receive our requests.
  void moveVirtualUnit(const std::string& device);

  // The device a port index opens: the override, else the operator's
  // DeviceN, else the n-th serial device found now (looked up again at every
  // transaction, so an adapter plugged in later is found).
  std::string devicePath(int portIndex) const;

 private:
  PortResolver previousResolver_;
};

}  // namespace flowdesk
