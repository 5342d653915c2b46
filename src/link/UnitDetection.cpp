#include "link/UnitDetection.h"

#include "link/Blocks.h"

namespace flowdesk {

bool unitDetection(JbusMaster& master, LinkSettingRefs link, const DetectionProgress& progress,
                   std::span<const int> ports) {
  // Address 0 is answered by any unit, whatever its own address.
  link.Jbus = 0.0f;
  for (int port : ports) {
    for (int baud = 0; baud < static_cast<int>(kBaudTable.size()); ++baud) {
      link.Com = port;
      link.Bauds = baud;
      if (progress) progress(port, baud);
      if (master.readRegisters(kUnitAddressBlock.firstRegister, kUnitAddressBlock.count) == 0) {
        return true;
      }
    }
  }
  return false;
}

ConnectResult connectUnit(JbusMaster& master, LinkSettingRefs link,
                          const DetectionProgress& progress, std::span<const int> ports) {
  const float savedJbus = link.Jbus;
  const std::int32_t savedCom = link.Com;
  const std::int32_t savedBauds = link.Bauds;

  master.identificationDone = true;
  const bool found = unitDetection(master, link, progress, ports);
  master.identificationDone = false;

  ConnectResult result;
  if (found) {
    result.found = true;
    result.address = master.reply().data()[1];  // the low byte of the address register
    link.Jbus = static_cast<float>(result.address);
  } else {
    link.Jbus = savedJbus;
    link.Com = savedCom;
    link.Bauds = savedBauds;
  }
  return result;
}

}  // namespace flowdesk
