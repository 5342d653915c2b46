// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "link/PortLock.h"
#include "link/SerialDevices.h"
#include "link/SerialPort.h"

namespace flowdesk {

// Why a port gave no unit, with what the operator needs to act on: the
// connection page and `flowdesk-cli detect` say it of every port tried, and
// every screen and command says it of a port that could not be opened. The
// master makes one when an open fails, looking at the device then: what it
// says is the state of things at that moment, not when it is read.
struct PortFailure {
  enum class Reason {
    kNoAnswer,       // the device opened, but nothing answered at the rates tried
    kNoDevice,       // no device is mapped to the port at all
    kMissing,        // the mapped device is not there
    kUnplugged,      // it opened earlier in this run and is gone now
    kPermission,     // refused, and the group that owns it may use it: join that group
    kNoGroupAccess,  // refused, and no group may use it: a udev rule has to open it
    kNotSerial,      // a plain file, a folder, or a device that is no terminal
    kBusy,           // another program holds the device
    kUnusable,       // it opened no serial line for another reason
    // A device server (tcp://, rfc2217://):
    kBadAddress,        // the path is no HOST:PORT
    kHostNotFound,      // the name has no address
    kRefused,           // nothing listens on that port
    kTimedOut,          // the server did not answer in time
    kClosedByServer,    // it closed the connection (another client holds its port?)
    kNoComPortControl,  // rfc2217:// to a server that does not take RFC 2217
  };
  int portIndex = 0;
  Reason reason = Reason::kNoAnswer;
  std::string device;
  std::vector<int> baudIndexes;  // kNoAnswer: where the device opened, slowest first
  // kPermission: the group that owns the device; kNoGroupAccess: the group
  // the udev rule gives it to.
  std::string group;
  std::string fixCommand;  // kPermission, kNoGroupAccess: what puts this user in `group`
  // kNoGroupAccess: how the device is owned now, and the rule that opens it.
  std::string owner;
  std::string ownerGroup;
  unsigned mode = 0;
  std::string udevRule;
  DeviceKind kind = DeviceKind::kMissing;  // kNotSerial: what the path is instead
  std::vector<DeviceHolder> holders;       // kBusy: who holds it, when that can be seen
  // What the open left: the serial library's status (said for kUnusable),
  // the system's errno and a device server's word.
  int status = 0;
  int systemError = 0;
  NetworkCause networkCause = NetworkCause::kNone;
  // The device the port opened earlier in this run; empty when it never did
  // (a device that is not back, then, never was there).
  std::string openedBefore;
  // kMissing, kUnplugged, kNoDevice: the serial devices present, where the
  // failure is told on its own (a connection report lists them once).
  std::vector<std::string> presentDevices;
};

// How a device path is looked at: checkDeviceAccess, or a table in tests.
using DeviceLookup = std::function<DeviceAccess(const std::string& path)>;

// What a failed open left behind.
struct OpenFacts {
  int portIndex = 0;
  int status = 0;  // the serial library's
  std::string device;
  int systemError = 0;
  NetworkCause networkCause = NetworkCause::kNone;
  std::string openedBefore;  // the device the port opened earlier in this run, if any
};

// Why an open failed, from what the serial library said (its status, the
// system's errno, a device server's word) and what the device path holds
// now. When the device the port opened earlier is gone, the adapter was
// unplugged.
PortFailure portRefusal(const OpenFacts& facts, const DeviceLookup& look = {});

// "Com1: " and the reason, UTF-8, French or English; a reason may take
// several lines (the advice).
std::string portFailureText(const PortFailure& failure, Language language);

// The port's text followed, for a missing device, by the devices present:
// what a screen or a command says of a port that could not be opened.
std::string openFailureText(const PortFailure& failure, Language language);

// `text`, then a line break and the port's reason when there is one.
std::string withPortFailure(std::string text, const std::optional<PortFailure>& failure,
                            Language language);

#include "base/BilingualText.h"
// "Serial devices present: ...", or that there is none.
std::string presentDevicesText(const std::vector<std::string>& devices, Language language);

// Whether a failure wants the devices present listed after it.
bool needsDeviceList(const PortFailure& failure);

// What the page says under the device box before any open: a device that
// does not exist, that is no serial device, or that this user may not open
// (with the advice). Empty when it looks usable (or for an empty path).
std::string deviceAccessText(const std::string& device, Language language);

}  // namespace flowdesk
