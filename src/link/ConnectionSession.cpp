// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ConnectionSession.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "base/FileNames.h"
#include "base/Texts.h"
#include "link/NetworkSerialDriver.h"
#include "link/SerialDevices.h"
#include "link/SerialPort.h"

namespace flowdesk {

namespace {

// Where the program prompt starts when no program was chosen yet.
constexpr const char* kProgramFolder = "/usr/bin/";

// Said after a Connect on an adapter that echoes: the line carries every
// request twice, which the operator should know of before a scope or
// another program shows it.
constexpr BilingualText kTxtAdapterEchoes{
    "L'adaptateur renvoie ce qu'il émet : son écho est ignoré.",
    "The adapter echoes what it sends: its echo is skipped."};

// How the device box names the virtual unit this run started.
constexpr BilingualText kTxtVirtualUnit{"unité virtuelle", "virtual unit"};

constexpr BilingualText kTxtServerRate{
    "Serveur TCP brut : la vitesse est celle réglée sur le serveur, elle n'a pas été balayée.",
    "Raw TCP server: the rate is the one set on the server; it was not scanned."};

}  // namespace

ConnectionSession::ConnectionSession(AppContext& context, std::string devRoot)
    : context_(context), devRoot_(std::move(devRoot)) {}

ConnectionOutcome ConnectionSession::connect(const DetectionProgress& progress,
                                             std::span<const int> ports, DetectionStart start) {
  AppSettings& s = context_.settings;
  JbusMaster& master = context_.master;

  // What each port did. The saved combination is asked first, so a port can
  // come back later: its rates join its first entry.
  struct Tried {
    int port;
    std::string device;
    std::vector<int> opened;  // baud indexes
    PortFailure refused;
  };
  std::vector<Tried> tried;
  std::size_t now = 0;

  const ConnectResult result = connectUnit(
      master, LinkSettingRefs{s.Com, s.Jbus, s.Bauds},
      [&](int port, int baud) {
        const auto same = [port](const Tried& t) { return t.port == port; };
        now = static_cast<std::size_t>(std::find_if(tried.begin(), tried.end(), same) -
                                       tried.begin());
        if (now == tried.size()) tried.push_back({port, {}, {}, {}});
        if (progress) progress(port, baud);
      },
      ports, start,
      [&](int, int baud, const LinkResult& read) {
        Tried& t = tried[now];
        if (read.port) {
          t.refused = *read.port;
        } else {
          t.opened.push_back(baud);
          t.device = read.device;
        }
      });

  ConnectionOutcome outcome;
  if (result.found) {
    outcome.found = true;
    outcome.portIndex = s.Com;
    outcome.baudIndex = s.Bauds;
    outcome.address = result.address;
    outcome.device = context_.devicePath(s.Com);
    outcome.serverRate = isRawNetworkDevice(outcome.device);
    tried.erase(tried.begin() + static_cast<std::ptrdiff_t>(now));  // the port that answered
  }
  // Told in the order of the search proper, whichever port was asked first.
  const auto rank = [&ports](const Tried& t) {
    return std::find(ports.begin(), ports.end(), t.port);
  };
  std::stable_sort(tried.begin(), tried.end(),
                   [&rank](const Tried& a, const Tried& b) { return rank(a) < rank(b); });
  for (Tried& t : tried) {
    if (t.opened.empty()) {
      outcome.failures.push_back(t.refused);
      continue;
    }
    std::sort(t.opened.begin(), t.opened.end());
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
  outcome.adapterEchoes = master.adapterEchoes();
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
  const std::string& unit = context_.virtualUnitDevice;
  const auto listed = [&choices](const std::string& device) {
    return std::find(choices.items.begin(), choices.items.end(), device) != choices.items.end();
  };
  if (!unit.empty() && !listed(unit)) choices.items.push_back(unit);
  if (!choices.current.empty() && !listed(choices.current)) {
    choices.items.insert(choices.items.begin(), choices.current);
  }
  return choices;
}

std::string ConnectionSession::deviceText(const std::string& device, Language language) const {
  if (device.empty() || device != context_.virtualUnitDevice) return device;
  return std::string(kTxtVirtualUnit.text(language)) + " (" + device + ")";
}

bool ConnectionSession::chooseDevice(const std::string& typed) {
  const int p = port();
  const std::string& unit = context_.virtualUnitDevice;
  const bool named = !unit.empty() && (typed == unit || typed == deviceText(unit, kFrench) ||
                                       typed == deviceText(unit, kEnglish));
  const bool emptied = typed.empty() && !unit.empty() && p == AppContext::kVirtualUnitPort;
  std::string* setting = context_.settings.deviceSetting(p);
  std::string& runOnly = context_.deviceOverride[static_cast<std::size_t>(p)];
  if (named || emptied) {
    // An emptied box also means the default mapping for the runs to come.
    const bool forgets = emptied && setting != nullptr && !setting->empty();
    if (forgets) setting->clear();
    if (runOnly == unit && !forgets) return false;
    runOnly = unit;
    return true;
  }
  if (typed == context_.devicePath(p)) return false;
  runOnly.clear();
  if (setting != nullptr) *setting = typed;
  return true;
}

std::string ConnectionSession::spreadsheetFolder() const {
  const std::string folder = lastPathName(context_.settings.LastFileSpName);
  return folder.empty() ? kProgramFolder : folder;
}

void ConnectionSession::chooseSpreadsheet(const std::string& path) {
  if (!path.empty()) context_.settings.LastFileSpName = path;
}

std::string serverRateText(Language language) {
  return kTxtServerRate.text(language);
}

std::string adapterEchoText(Language language) {
  return kTxtAdapterEchoes.text(language);
}

std::string connectionReportText(const ConnectionOutcome& outcome, Language language) {
  const std::string echoes =
      outcome.adapterEchoes ? "\n\n" + adapterEchoText(language) : std::string();
  if (outcome.found) {
    const std::string rate = outcome.serverRate ? "\n\n" + serverRateText(language) : std::string();
    return kTxtConnectSuccess.text(language) + rate + echoes;
  }
  std::string text = kTxtConnectFailure.text(language);
  bool listDevices = false;
  for (const PortFailure& f : outcome.failures) {
    text += "\n\n" + portFailureText(f, language);
    listDevices = listDevices || needsDeviceList(f);
  }
  if (listDevices) text += "\n\n" + presentDevicesText(outcome.presentDevices, language);
  return text + echoes;
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

}  // namespace flowdesk
