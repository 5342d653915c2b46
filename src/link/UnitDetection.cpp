// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/UnitDetection.h"

#include <algorithm>

#include "link/Blocks.h"
#include "link/NetworkSerialDriver.h"

namespace flowdesk {

LinkResult unitDetection(JbusMaster& master, LinkSettingRefs link,
                         const DetectionProgress& progress, std::span<const int> ports,
                         DetectionStart start, const DetectionTried& tried) {
  // Address 0 is answered by any unit, whatever its own address.
  link.Jbus = 0.0f;
  const std::int32_t startCom = link.Com;
  const std::int32_t startBauds = link.Bauds;
  const int lastBaud = static_cast<int>(kBaudTable.size()) - 1;
  LinkResult read;
  read.fault = ReplyFault::kNoAnswer;  // nothing was asked
  const auto ask = [&](int port, int baud) {
    link.Com = port;
    link.Bauds = baud;
    if (progress) progress(port, baud);
    read = master.readRegisters(kUnitAddressBlock.firstRegister, kUnitAddressBlock.count);
    if (tried) tried(port, baud, read);
    return read.ok();
  };

  // A unit is most often where it was found last: asking there first finds
  // it in one exchange instead of after every slower rate and earlier port.
  const bool savedFirst = start == DetectionStart::kSavedFirst &&
                          std::find(ports.begin(), ports.end(), startCom) != ports.end() &&
                          startBauds >= 0 && startBauds <= lastBaud;
  if (savedFirst && ask(startCom, startBauds)) return read;

  for (int port : ports) {
    // A raw device server runs its port at its own rate: scanning ours would
    // only repeat one search six times. The rate index then only sets the
    // time limits; the one chosen is kept.
    int first = 0;
    int last = lastBaud;
    if (isRawNetworkDevice(resolvePortPath(port))) {
      first = last = startBauds >= 0 && startBauds <= last ? startBauds : last;
    }
    for (int baud = first; baud <= last; ++baud) {
      if (savedFirst && port == startCom && baud == startBauds) {
        // Asked already; the settings still pass through it, so a search
        // that finds nothing ends where it always did.
        link.Com = port;
        link.Bauds = baud;
        continue;
      }
      if (ask(port, baud)) return read;
    }
  }
  return read;
}

ConnectResult connectUnit(JbusMaster& master, LinkSettingRefs link,
                          const DetectionProgress& progress, std::span<const int> ports,
                          DetectionStart start, const DetectionTried& tried) {
  const float savedJbus = link.Jbus;
  const std::int32_t savedCom = link.Com;
  const std::int32_t savedBauds = link.Bauds;

  master.markIdentified();
  const LinkResult read = unitDetection(master, link, progress, ports, start, tried);
  master.forgetIdentification();

  ConnectResult result;
  if (read.ok()) {
    result.found = true;
    result.address = read.data()[1];  // the low byte of the address register
    link.Jbus = static_cast<float>(result.address);
  } else {
    link.Jbus = savedJbus;
    link.Com = savedCom;
    link.Bauds = savedBauds;
  }
  return result;
}

}  // namespace flowdesk
