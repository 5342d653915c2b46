#include "link/ConnectionSession.h"

#include <algorithm>
#include <cerrno>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "base/FileNames.h"
#include "base/Texts.h"
#include "link/SerialDevices.h"
#include "link/SerialPort.h"

namespace flowdesk {

namespace {

// Where the program prompt starts when no program was chosen yet.
constexpr const char* kProgramFolder = "/usr/bin/";

// These sentences have no place in the unit's own texts: they speak of the
// Linux device behind a port.
constexpr BilingualText kTxtPermission{
    "Accès refusé à %1 : ce périphérique appartient au groupe « %2 ».\n"
    "Pour y accéder, ajoutez votre compte à ce groupe :\n    %3\n"
    "puis fermez la session et reconnectez-vous.",
    "Access to %1 was refused: the device belongs to the group \"%2\".\n"
    "To get access, add your account to that group:\n    %3\n"
    "then log out and log in again."};
constexpr BilingualText kTxtBusy{"%1 est déjà utilisé par un autre programme.",
                                 "%1 is in use by another program."};
constexpr BilingualText kTxtMissing{"%1 n'existe pas (adaptateur débranché ?).",
                                    "%1 does not exist (adapter unplugged?)."};
constexpr BilingualText kTxtPortPrefix{"Com%1 : ", "Com%1: "};
constexpr BilingualText kTxtNoDevice{"aucun périphérique série n'est associé à ce port.",
                                     "no serial device is mapped to this port."};
constexpr BilingualText kTxtNoAnswerAt{"aucune unité n'a répondu sur %1 à %2 bauds.",
                                       "no unit answered on %1 at %2 baud."};
constexpr BilingualText kTxtNoAnswerFromTo{"aucune unité n'a répondu sur %1 de %2 à %3 bauds.",
                                           "no unit answered on %1 at %2 to %3 baud."};
constexpr BilingualText kTxtUnusable{"%1 ne peut pas servir de port série (état %2).",
                                     "%1 cannot be used as a serial port (status %2)."};
constexpr BilingualText kTxtPresent{"Périphériques série présents : %1.",
                                    "Serial devices present: %1."};
constexpr BilingualText kTxtNonePresent{"Aucun périphérique série n'est présent.",
                                        "No serial device is present."};

// The text with %1..%9 replaced by `values`, in one pass: a value that holds
// "%2" itself stays as it is.
std::string fill(const BilingualText& text, int language,
                 std::initializer_list<std::string_view> values) {
  std::string out;
  for (const char* p = text.text(language); *p != '\0'; ++p) {
    const auto n = static_cast<std::size_t>(p[1] - '1');
    if (p[0] == '%' && p[1] >= '1' && p[1] <= '9' && n < values.size()) {
      out += values.begin()[n];
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

std::string permissionText(const std::string& device, const std::string& group,
                           const std::string& fix, int language) {
  return fill(kTxtPermission, language, {device, group, fix});
}

// The group to name for a refused device; a device that cannot be looked at
// is most likely a serial device of the usual group.
std::string owningGroup(const std::string& device) {
  std::string group = checkDeviceAccess(device).group;
  return group.empty() ? "dialout" : group;
}

// Why an open failed, from what the serial library said.
PortFailure refusal(int port, int status, const std::string& device, int error) {
  using Reason = PortFailure::Reason;
  PortFailure f;
  f.portIndex = port;
  f.device = device;
  f.status = status;
  if (device.empty()) {
    f.reason = Reason::kNoDevice;
  } else if (error == EACCES || error == EPERM) {
    f.reason = Reason::kPermission;
    f.group = owningGroup(device);
    f.fixCommand = groupAccessCommand(f.group);
  } else if (error == EBUSY || error == EWOULDBLOCK || (status == kPortInUse && error == 0)) {
    f.reason = Reason::kBusy;
  } else if (error == ENOENT || error == ENODEV || error == ENXIO ||
             (status == kPortNoDevice && error == 0)) {
    f.reason = Reason::kMissing;
  } else {
    f.reason = Reason::kUnusable;
  }
  return f;
}

std::string portFailureText(const PortFailure& f, int language) {
  using Reason = PortFailure::Reason;
  std::string text = fill(kTxtPortPrefix, language, {std::to_string(f.portIndex + 1)});
  const auto baud = [](int index) {
    return index >= 0 && index < static_cast<int>(kBaudTable.size())
               ? std::to_string(kBaudTable[static_cast<std::size_t>(index)])
               : std::string("?");
  };
  switch (f.reason) {
    case Reason::kNoAnswer:
      if (f.baudIndexes.empty()) {
        text += fill(kTxtNoAnswerFromTo, language, {f.device, baud(0), baud(5)});
      } else if (f.baudIndexes.size() == 1) {
        text += fill(kTxtNoAnswerAt, language, {f.device, baud(f.baudIndexes.front())});
      } else {
        text += fill(kTxtNoAnswerFromTo, language,
                     {f.device, baud(f.baudIndexes.front()), baud(f.baudIndexes.back())});
      }
      break;
    case Reason::kNoDevice:
      text += kTxtNoDevice.text(language);
      break;
    case Reason::kMissing:
      text += fill(kTxtMissing, language, {f.device});
      break;
    case Reason::kPermission:
      text += permissionText(f.device, f.group, f.fixCommand, language);
      break;
    case Reason::kBusy:
      text += fill(kTxtBusy, language, {f.device});
      break;
    case Reason::kUnusable:
      text += fill(kTxtUnusable, language, {f.device, std::to_string(f.status)});
      break;
  }
  return text;
}

bool needsDeviceList(const PortFailure& f) {
  return f.reason == PortFailure::Reason::kMissing || f.reason == PortFailure::Reason::kNoDevice;
}

}  // namespace

ConnectionSession::ConnectionSession(AppContext& context, std::string devRoot)
    : context_(context), devRoot_(std::move(devRoot)) {}

ConnectionOutcome ConnectionSession::connect(const DetectionProgress& progress,
                                             std::span<const int> ports) {
  AppSettings& s = context_.settings;
  JbusMaster& master = context_.master;

  // What each port did, in the order tried. A combination's open is looked
  // at when the next one starts, and once more after the last.
  struct Tried {
    int port;
    std::string device;
    std::vector<int> opened;  // baud indexes
    PortFailure refused;
  };
  std::vector<Tried> tried;
  int baudNow = -1;
  const auto settle = [&] {
    if (tried.empty()) return;
    Tried& t = tried.back();
    if (master.lastPortStatus() == kPortOk) {
      t.opened.push_back(baudNow);
      t.device = master.lastDevice();
    } else {
      t.refused = refusal(t.port, master.lastPortStatus(), master.lastDevice(), master.lastErrno());
    }
  };

  const ConnectResult result = connectUnit(
      master, LinkSettingRefs{s.Com, s.Jbus, s.Bauds},
      [&](int port, int baud) {
        settle();
        if (tried.empty() || tried.back().port != port) tried.push_back({port, {}, {}, {}});
        baudNow = baud;
        if (progress) progress(port, baud);
      },
      ports);

  ConnectionOutcome outcome;
  if (result.found) {
    outcome.found = true;
    outcome.portIndex = s.Com;
    outcome.baudIndex = s.Bauds;
    outcome.address = result.address;
    outcome.device = context_.devicePath(s.Com);
    tried.pop_back();  // the port that answered
  } else {
    settle();
  }
  for (const Tried& t : tried) {
    if (t.opened.empty()) {
      outcome.failures.push_back(t.refused);
      continue;
    }
    PortFailure silent;
    silent.portIndex = t.port;
    silent.device = t.device;
    silent.baudIndexes = t.opened;
    outcome.failures.push_back(std::move(silent));
  }
  for (const PortFailure& f : outcome.failures) {
    if (needsDeviceList(f)) {
      outcome.presentDevices = findSerialDevices(devRoot_);
      break;
    }
  }
  return outcome;
}

int ConnectionSession::port() const {
  const std::int32_t com = context_.settings.Com;
  return com >= 0 && com < kPortCount ? com : 0;
}

std::string ConnectionSession::devicePath() const {
  return context_.devicePath(port());
}

DeviceChoices ConnectionSession::deviceChoices() const {
  DeviceChoices choices{findSerialDevices(devRoot_), devicePath()};
  if (!choices.current.empty() && std::find(choices.items.begin(), choices.items.end(),
                                            choices.current) == choices.items.end()) {
    choices.items.insert(choices.items.begin(), choices.current);
  }
  return choices;
}

bool ConnectionSession::chooseDevice(const std::string& path) {
  const int p = port();
  if (path == context_.devicePath(p)) return false;
  context_.deviceOverride[static_cast<std::size_t>(p)].clear();
  if (std::string* setting = context_.settings.deviceSetting(p)) *setting = path;
  return true;
}

std::string ConnectionSession::spreadsheetFolder() const {
  const std::string folder = lastPathName(context_.settings.LastFileSpName);
  return folder.empty() ? kProgramFolder : folder;
}

void ConnectionSession::chooseSpreadsheet(const std::string& path) {
  if (!path.empty()) context_.settings.LastFileSpName = path;
}

std::string connectionReportText(const ConnectionOutcome& outcome, int language) {
  if (outcome.found) return kTxtConnectSuccess.text(language);
  std::string text = kTxtConnectFailure.text(language);
  bool listDevices = false;
  for (const PortFailure& f : outcome.failures) {
    text += "\n\n" + portFailureText(f, language);
    listDevices = listDevices || needsDeviceList(f);
  }
  if (listDevices) {
    std::string names;
    for (const std::string& device : outcome.presentDevices) {
      names += (names.empty() ? "" : ", ") + device;
    }
    text += "\n\n" + (names.empty() ? std::string(kTxtNonePresent.text(language))
                                    : fill(kTxtPresent, language, {names}));
  }
  return text;
}

std::string reportLine(const std::string& report) {
  // Paragraphs end at an empty line; the lines of one are joined by a space.
  std::vector<std::string> paragraphs(1);
  std::size_t start = 0;
  while (start <= report.size()) {
    std::size_t end = report.find('\n', start);
    if (end == std::string::npos) end = report.size();
    std::string_view line(report.data() + start, end - start);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (line.empty()) {
      if (!paragraphs.back().empty()) paragraphs.emplace_back();
    } else {
      if (!paragraphs.back().empty()) paragraphs.back() += ' ';
      paragraphs.back() += line;
    }
    start = end + 1;
  }
  if (paragraphs.back().empty()) paragraphs.pop_back();

  std::string text;
  for (std::size_t i = 0; i < paragraphs.size(); ++i) {
    std::string_view p = paragraphs[i];
    // A full stop before "; " reads as noise; the last one stays.
    if (i + 1 < paragraphs.size() && p.ends_with('.')) p.remove_suffix(1);
    if (i > 0) text += i == 1 ? ": " : "; ";
    text += p;
  }
  return text;
}

std::string deviceAccessText(const std::string& device, int language) {
  if (device.empty()) return {};
  const DeviceAccess access = checkDeviceAccess(device);
  if (!access.exists) return fill(kTxtMissing, language, {device});
  if (!access.readWrite) {
    const std::string group = access.group.empty() ? "dialout" : access.group;
    return permissionText(device, group, groupAccessCommand(group), language);
  }
  return {};
}

}  // namespace flowdesk
