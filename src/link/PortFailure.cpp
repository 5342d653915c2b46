// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/PortFailure.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <initializer_list>
#include <string_view>

#include "base/BilingualText.h"
#include "link/JbusMaster.h"
#include "link/NetworkSerialDriver.h"
#include "link/SerialPort.h"

namespace flowdesk {

namespace {

// These sentences have no place in the unit's own texts: they speak of the
// Linux device behind a port.
constexpr BilingualText kTxtPermission{
    "Accès refusé à %1 : ce périphérique appartient au groupe « %2 ».\n"
    "Pour y accéder, ajoutez votre compte à ce groupe :\n    %3\n"
    "puis fermez la session et reconnectez-vous.",
    "Access to %1 was refused: the device belongs to the group \"%2\".\n"
    "To get access, add your account to that group:\n    %3\n"
    "then log out and log in again."};
constexpr BilingualText kTxtNoGroupAccess{
    "Accès refusé à %1 : aucun groupe n'y a accès (mode %2, propriétaire %3:%4).\n"
    "Une règle udev le donne au groupe « %5 ». Mettez cette ligne dans %6 :\n    %7\n"
    "puis appliquez-la :\n    %8\n"
    "ajoutez votre compte à ce groupe :\n    %9\n"
    "puis fermez la session et reconnectez-vous.",
    "Access to %1 was refused: no group may use it (mode %2, owner %3:%4).\n"
    "A udev rule gives it to the group \"%5\". Put this line into %6:\n    %7\n"
    "then apply it:\n    %8\n"
    "add your account to that group:\n    %9\n"
    "then log out and log in again."};
constexpr BilingualText kTxtBusy{"%1 est déjà utilisé par un autre programme.",
                                 "%1 is in use by another program."};
constexpr BilingualText kTxtBusyBy{"%1 est déjà utilisé par %2.", "%1 is in use by %2."};
constexpr BilingualText kTxtMissing{"%1 n'existe pas (adaptateur débranché ?).",
                                    "%1 does not exist (adapter unplugged?)."};
constexpr BilingualText kTxtUnplugged{
    "%1 a disparu depuis son dernier usage (adaptateur débranché ?).",
    "%1 has gone since it was last used (adapter unplugged?)."};
constexpr BilingualText kTxtNotSerial{"%1 n'est pas un périphérique série : %2.",
                                      "%1 is not a serial device: %2."};
constexpr BilingualText kTxtRegularFile{"c'est un fichier ordinaire", "it is a plain file"};
constexpr BilingualText kTxtDirectory{"c'est un dossier", "it is a folder"};
constexpr BilingualText kTxtNotATerminal{"ce périphérique n'est pas un terminal",
                                         "that device is no terminal"};
constexpr BilingualText kTxtOtherFile{"ce n'est pas un périphérique caractère",
                                      "it is no character device"};
constexpr BilingualText kTxtPortPrefix{"Com%1 : ", "Com%1: "};
constexpr BilingualText kTxtNoDevice{"aucun périphérique série n'est associé à ce port.",
                                     "no serial device is mapped to this port."};
constexpr BilingualText kTxtNoAnswerAt{"aucune unité n'a répondu sur %1 à %2 bauds.",
                                       "no unit answered on %1 at %2 baud."};
constexpr BilingualText kTxtNoAnswerFromTo{"aucune unité n'a répondu sur %1 de %2 à %3 bauds.",
                                           "no unit answered on %1 at %2 to %3 baud."};
constexpr BilingualText kTxtUnusable{"%1 ne peut pas servir de port série (état %2).",
                                     "%1 cannot be used as a serial port (status %2)."};
constexpr BilingualText kTxtNoAnswerRaw{
    "aucune unité n'a répondu sur %1 (à la vitesse réglée sur le serveur).",
    "no unit answered on %1 (at the rate set on the server)."};
constexpr BilingualText kTxtBadAddress{
    "%1 n'est pas une adresse valide : tcp://HÔTE:PORT ou rfc2217://HÔTE:PORT.",
    "%1 is not a valid address: tcp://HOST:PORT or rfc2217://HOST:PORT."};
constexpr BilingualText kTxtHostNotFound{"%1 : hôte introuvable (nom inconnu du réseau).",
                                         "%1: host not found (the network knows no such name)."};
constexpr BilingualText kTxtRefused{"%1 : connexion refusée (aucun serveur n'écoute sur ce port).",
                                    "%1: connection refused (no server listens on that port)."};
constexpr BilingualText kTxtTimedOut{"%1 : délai dépassé, le serveur ne répond pas.",
                                     "%1: timed out, the server does not respond."};
constexpr BilingualText kTxtClosedByServer{
    "%1 : connexion fermée par le serveur (un autre client tient peut-être son port série).",
    "%1: connection closed by the server (another client may hold its serial port)."};
constexpr BilingualText kTxtNoComPortControl{
    "%1 : le serveur ne permet pas de régler son port (RFC 2217) ; essayez tcp://.",
    "%1: the server does not let its port be set (RFC 2217); try tcp://."};
constexpr BilingualText kTxtPresent{"Périphériques série présents : %1.",
                                    "Serial devices present: %1."};
constexpr BilingualText kTxtNonePresent{"Aucun périphérique série n'est présent.",
                                        "No serial device is present."};

// The text with %1..%9 replaced by `values`, in one pass: a value that holds
// "%2" itself stays as it is.
std::string fill(const BilingualText& text, Language language,
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

bool isBusyError(int status, int error) {
  return error == EBUSY || error == EWOULDBLOCK || (status == kPortInUse && error == 0);
}

bool isMissingError(int status, int error) {
  return error == ENOENT || error == ENODEV || error == ENXIO ||
         (status == kPortNoDevice && error == 0);
}

// A device this user may not open, worded from how it is owned: the group's
// advice where the group may use it, else the udev rule that makes a group
// able to.
void refusedAccess(PortFailure& f, const DeviceAccess& access) {
  using Reason = PortFailure::Reason;
  if (access.groupReadWrite) {
    f.reason = Reason::kPermission;
    f.group = access.group;
  } else {
    f.reason = Reason::kNoGroupAccess;
    f.group = serialGroup();
    f.owner = access.owner;
    f.ownerGroup = access.group;
    f.mode = access.mode;
    f.udevRule = udevRuleFor(access.kernelName, f.group);
  }
  f.fixCommand = groupAccessCommand(f.group);
}

std::string holdersText(const std::vector<DeviceHolder>& holders) {
  std::string text;
  for (const DeviceHolder& h : holders) {
    text += (text.empty() ? "" : ", ") + h.program + " (pid " + std::to_string(h.pid) + ")";
  }
  return text;
}

std::string modeText(unsigned mode) {
  char octal[8];
  std::snprintf(octal, sizeof octal, "%04o", mode & 07777u);
  return octal;
}

const BilingualText& kindText(DeviceKind kind) {
  switch (kind) {
    case DeviceKind::kRegularFile:
      return kTxtRegularFile;
    case DeviceKind::kDirectory:
      return kTxtDirectory;
    case DeviceKind::kOther:
      return kTxtOtherFile;
    case DeviceKind::kMissing:
    case DeviceKind::kSerial:
    case DeviceKind::kNotATerminal:
      break;
  }
  return kTxtNotATerminal;
}

// The reason without the port: also what the page says under the device box.
std::string reasonText(const PortFailure& f, Language language) {
  using Reason = PortFailure::Reason;
  const auto baud = [](int index) {
    return index >= 0 && index < static_cast<int>(kBaudTable.size())
               ? std::to_string(kBaudTable[static_cast<std::size_t>(index)])
               : std::string("?");
  };
  switch (f.reason) {
    case Reason::kNoAnswer:
      if (isRawNetworkDevice(f.device)) return fill(kTxtNoAnswerRaw, language, {f.device});
      if (f.baudIndexes.empty()) {
        return fill(kTxtNoAnswerFromTo, language, {f.device, baud(0), baud(5)});
      }
      if (f.baudIndexes.size() == 1) {
        return fill(kTxtNoAnswerAt, language, {f.device, baud(f.baudIndexes.front())});
      }
      return fill(kTxtNoAnswerFromTo, language,
                  {f.device, baud(f.baudIndexes.front()), baud(f.baudIndexes.back())});
    case Reason::kNoDevice:
      return kTxtNoDevice.text(language);
    case Reason::kMissing:
      return fill(kTxtMissing, language, {f.device});
    case Reason::kUnplugged:
      return fill(kTxtUnplugged, language, {f.device});
    case Reason::kPermission:
      return fill(kTxtPermission, language, {f.device, f.group, f.fixCommand});
    case Reason::kNoGroupAccess:
      return fill(kTxtNoGroupAccess, language,
                  {f.device, modeText(f.mode), f.owner, f.ownerGroup, f.group, kUdevRuleFile,
                   f.udevRule, kUdevReloadCommand, f.fixCommand});
    case Reason::kNotSerial:
      return fill(kTxtNotSerial, language, {f.device, kindText(f.kind).text(language)});
    case Reason::kBusy:
      return f.holders.empty() ? fill(kTxtBusy, language, {f.device})
                               : fill(kTxtBusyBy, language, {f.device, holdersText(f.holders)});
    case Reason::kUnusable:
      return fill(kTxtUnusable, language, {f.device, std::to_string(f.status)});
    case Reason::kBadAddress:
      return fill(kTxtBadAddress, language, {f.device});
    case Reason::kHostNotFound:
      return fill(kTxtHostNotFound, language, {f.device});
    case Reason::kRefused:
      return fill(kTxtRefused, language, {f.device});
    case Reason::kTimedOut:
      return fill(kTxtTimedOut, language, {f.device});
    case Reason::kClosedByServer:
      return fill(kTxtClosedByServer, language, {f.device});
    case Reason::kNoComPortControl:
      return fill(kTxtNoComPortControl, language, {f.device});
  }
  return {};
}

// A device server's refusal, from what the network driver said of it.
PortFailure::Reason networkReason(NetworkCause cause) {
  using Reason = PortFailure::Reason;
  switch (cause) {
    case NetworkCause::kBadAddress:
      return Reason::kBadAddress;
    case NetworkCause::kHostNotFound:
      return Reason::kHostNotFound;
    case NetworkCause::kRefused:
      return Reason::kRefused;
    case NetworkCause::kTimedOut:
      return Reason::kTimedOut;
    case NetworkCause::kClosed:
      return Reason::kClosedByServer;
    case NetworkCause::kNoComPortControl:
      return Reason::kNoComPortControl;
    case NetworkCause::kNone:
      break;
  }
  return Reason::kUnusable;
}

}  // namespace

PortFailure portRefusal(const OpenFacts& facts, const DeviceLookup& look) {
  using Reason = PortFailure::Reason;
  const int status = facts.status;
  const int error = facts.systemError;
  const std::string& device = facts.device;
  const std::string& openedBefore = facts.openedBefore;
  const auto lookAt = [&look](const std::string& path) {
    return look ? look(path) : checkDeviceAccess(path);
  };
  const auto gone = [&lookAt](const std::string& path) {
    return !path.empty() && !lookAt(path).exists;
  };
  PortFailure f;
  f.portIndex = facts.portIndex;
  f.device = device;
  f.status = status;
  f.systemError = error;
  f.networkCause = facts.networkCause;
  f.openedBefore = openedBefore;
  if (isNetworkDevice(device)) {
    // No file to look at, nobody to list as holder: only the network's word.
    f.reason = networkReason(facts.networkCause);
    return f;
  }
  if (device.empty() || (isMissingError(status, error) && !isBusyError(status, error))) {
    // A device that opened earlier and is gone now was unplugged, whether
    // the port still names it or (by default) names the next one found.
    if (gone(openedBefore) && (device.empty() || device == openedBefore)) {
      f.reason = Reason::kUnplugged;
      f.device = openedBefore;
    } else if (device.empty()) {
      f.reason = status == kPortBadBaud ? Reason::kUnusable : Reason::kNoDevice;
    } else {
      f.reason = Reason::kMissing;
    }
    return f;
  }
  if (isBusyError(status, error)) {
    f.reason = Reason::kBusy;
    f.holders = deviceHolders(device);
    return f;
  }
  const DeviceAccess access = lookAt(device);
  if (access.exists && access.kind != DeviceKind::kSerial) {
    f.reason = Reason::kNotSerial;
    f.kind = access.kind;
  } else if (error == EACCES || error == EPERM) {
    refusedAccess(f, access);
  } else if (error == ENOTTY) {
    f.reason = Reason::kNotSerial;
    f.kind = DeviceKind::kNotATerminal;
  } else {
    f.reason = Reason::kUnusable;
  }
  return f;
}

std::string portFailureText(const PortFailure& f, Language language) {
  return fill(kTxtPortPrefix, language, {std::to_string(f.portIndex + 1)}) +
         reasonText(f, language);
}

std::string openFailureText(const PortFailure& f, Language language) {
  std::string text = portFailureText(f, language);
  if (needsDeviceList(f)) text += "\n\n" + presentDevicesText(f.presentDevices, language);
  return text;
}

std::string withPortFailure(std::string text, const std::optional<PortFailure>& failure,
                            Language language) {
  if (!failure) return text;
  return text + (text.empty() ? "" : "\n") + openFailureText(*failure, language);
}

std::string presentDevicesText(const std::vector<std::string>& devices, Language language) {
  std::string names;
  for (const std::string& device : devices) names += (names.empty() ? "" : ", ") + device;
  return names.empty() ? std::string(kTxtNonePresent.text(language))
                       : fill(kTxtPresent, language, {names});
}

bool needsDeviceList(const PortFailure& f) {
  using Reason = PortFailure::Reason;
  return f.reason == Reason::kMissing || f.reason == Reason::kUnplugged ||
         f.reason == Reason::kNoDevice;
}

std::string deviceAccessText(const std::string& device, Language language) {
  if (device.empty()) return {};
  if (isNetworkDevice(device)) {
    NetworkDevice where;
    if (parseNetworkDevice(device, where)) return {};
    PortFailure f;
    f.device = device;
    f.reason = PortFailure::Reason::kBadAddress;
    return reasonText(f, language);
  }
  const DeviceAccess access = checkDeviceAccess(device);
  PortFailure f;
  f.device = device;
  if (!access.exists) {
    f.reason = PortFailure::Reason::kMissing;
  } else if (access.kind != DeviceKind::kSerial) {
    f.reason = PortFailure::Reason::kNotSerial;
    f.kind = access.kind;
  } else if (!access.readWrite) {
    refusedAccess(f, access);
  } else {
    return {};
  }
  return reasonText(f, language);
}

}  // namespace flowdesk
