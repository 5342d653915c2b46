// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/AppContext.h"

#include "link/Identification.h"
#include "link/SerialDevices.h"

namespace flowdesk {

AppContext::AppContext(Clock& clock, DeviceImage& img)
    : versions(VersionStrings::load()), image(img), master(clock) {
  master.setLinkSettings([this] {
    return LinkSettings{settings.Com, settings.Jbus, settings.Bauds, settings.replyEndRule()};
  });
  master.setIdentification(
      [this](JbusMaster& m) { return IdentificationRead(m, image, settings); });
  previousResolver_ = setPortResolver([this](int portIndex) { return devicePath(portIndex); });
}

AppContext::~AppContext() {
  setPortResolver(previousResolver_);
}

void AppContext::moveVirtualUnit(const std::string& device) {
  const std::string old = virtualUnitDevice;
  for (std::size_t p = 0; p < deviceOverride.size(); ++p) {
    const bool first = old.empty() && p == static_cast<std::size_t>(kVirtualUnitPort);
    if (first || (!old.empty() && deviceOverride[p] == old)) deviceOverride[p] = device;
  }
  virtualUnitDevice = device;
  if (!old.empty()) master.forgetIdentification();
}

std::string AppContext::devicePath(int portIndex) const {
  if (portIndex >= 0 && portIndex < kPortCount &&
      !deviceOverride[static_cast<std::size_t>(portIndex)].empty()) {
    return deviceOverride[static_cast<std::size_t>(portIndex)];
  }
  const auto operatorDevices = settings.devices();
  if (portIndex >= 0 && portIndex < kPortCount &&
      !operatorDevices[static_cast<std::size_t>(portIndex)].empty()) {
    return operatorDevices[static_cast<std::size_t>(portIndex)];
  }
  return devicePathForPort(portIndex, operatorDevices, findSerialDevices());
}

}  // namespace flowdesk
