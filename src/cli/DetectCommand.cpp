// SPDX-License-Identifier: GPL-3.0-or-later
#include <string>
#include <vector>

#include "cli/CliSession.h"
#include "link/ConnectionSession.h"

namespace flowdesk {

int runDetect(CliSession& s) {
  CommandArgs args({});
  if (const auto refused = s.readArgs(args)) return *refused;
  if (!args.positional().empty()) return s.usage(s.text(kTxtCliDetectTakesNoFile));

  // With --device only the port it stands for is searched.
  std::vector<int> ports(kDetectionPorts.begin(), kDetectionPorts.end());
  if (s.options.device) ports = {s.app.settings.Com};

  // The saved rate is where the unit was found on the saved device: a
  // device given for this run is scanned from the slowest rate.
  ConnectionSession session(s.app);
  const ConnectionOutcome outcome = session.connect(
      {}, ports, s.options.device ? DetectionStart::kScanOrder : DetectionStart::kSavedFirst);
  if (!outcome.found) {
    // The report says why for every port; the status tells a silent unit
    // on a device that opened from no usable device at all.
    bool opened = false;
    for (const PortFailure& f : outcome.failures) {
      opened = opened || f.reason == PortFailure::Reason::kNoAnswer;
    }
    s.err << "flowdesk-cli: " << reportLine(connectionReportText(outcome, s.language)) << "\n";
    return opened ? kExitUnit : kExitNoUnit;
  }
  s.out << "Com" << outcome.portIndex + 1 << " "
        << kBaudTable[static_cast<std::size_t>(outcome.baudIndex)] << " " << outcome.address << " "
        << outcome.device << "\n";
  // Standard output keeps its one line for scripts; the server's rate and
  // the echo are remarks.
  if (outcome.serverRate) s.err << "flowdesk-cli: " << serverRateText(s.language) << "\n";
  if (outcome.adapterEchoes) s.err << "flowdesk-cli: " << adapterEchoText(s.language) << "\n";
  // A device given for this run only is not saved, so neither is the port
  // found on it.
  s.keepLinkSettings = !s.options.device.has_value();
  return kExitDone;
}

}  // namespace flowdesk
