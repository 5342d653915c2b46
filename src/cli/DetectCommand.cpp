#include <cerrno>
#include <set>
#include <string>
#include <vector>

#include "base/Texts.h"
#include "cli/CliSession.h"
#include "link/SerialDevices.h"
#include "link/SerialPort.h"
#include "link/UnitDetection.h"

namespace flowdesk {

namespace {

// A device that could not be opened for lack of permission is the usual
// reason a connected unit is not found; the message says how to fix it. A
// device another program holds is named too.
std::string refusalHint(const std::set<std::pair<std::string, int>>& refused, int language) {
  std::string text;
  for (const auto& [device, error] : refused) {
    if (error != EACCES && error != EPERM) {
      text += "; " + device +
              (language == 0 ? ": occupé par un autre programme" : ": in use by another program");
      continue;
    }
    const DeviceAccess access = checkDeviceAccess(device);
    text += "; " + device + (language == 0 ? ": accès refusé" : ": permission denied");
    if (!access.group.empty()) {
      text += (language == 0 ? " (groupe " : " (group ") + access.group + ": " +
              groupAccessCommand(access.group) +
              (language == 0 ? ", puis une nouvelle session)" : ", then log in again)");
    }
  }
  return text;
}

}  // namespace

int runDetect(CliSession& s) {
  CommandArgs args({});
  if (std::string problem = args.parse(s.args); !problem.empty()) return s.usage(problem);
  if (!args.positional().empty()) return s.usage("detect takes no file");

  AppSettings& settings = s.app.settings;
  std::vector<int> ports(kDetectionPorts.begin(), kDetectionPorts.end());
  if (s.options.device) ports = {settings.Com};

  // Each combination's open is looked at when the next one starts (and once
  // more at the end), to collect the devices that refused us.
  std::set<std::pair<std::string, int>> refused;
  JbusMaster& master = s.app.master;
  auto noteRefusal = [&] {
    if (master.lastPortStatus() == kPortInUse && !master.lastDevice().empty()) {
      refused.emplace(master.lastDevice(), master.lastErrno());
    }
  };
  const ConnectResult result = connectUnit(
      master, {settings.Com, settings.Jbus, settings.Bauds}, [&](int, int) { noteRefusal(); },
      ports);
  noteRefusal();

  if (!result.found) {
    std::string where =
        s.options.device ? *s.options.device : std::string(s.text("Com1 à Com3", "Com1 to Com3"));
    return s.fail(kExitUnit, std::string(kTxtConnectFailure.text(s.language)) + ": " +
                                 s.text("aucune unité n'a répondu sur ", "no unit answered on ") +
                                 where + s.text(" de 300 à 9600 bauds", " at 300 to 9600 baud") +
                                 refusalHint(refused, s.language));
  }
  s.out << "Com" << settings.Com + 1 << " " << kBaudTable[static_cast<std::size_t>(settings.Bauds)]
        << " " << result.address << " " << s.app.devicePath(settings.Com) << "\n";
  // A device given for this run only is not saved, so neither is the port
  // found on it.
  s.keepLinkSettings = !s.options.device.has_value();
  return kExitDone;
}

}  // namespace flowdesk
