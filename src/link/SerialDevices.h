// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <sys/types.h>

#include <array>
#include <string>
#include <vector>

namespace flowdesk {

// The serial devices of this machine in the order the default Com mapping
// uses: <root>/serial/by-id/* (stable names of USB adapters, by name), then
// ttyUSB* and ttyACM* that no by-id link already names (compared by resolved
// target), then ttyS*, each kind in numeric order (ttyS2 before ttyS10).
// Dangling by-id links are left out: nothing could be opened through them.
// `devRoot` is "/dev" except in tests, which build a tree of their own.
std::vector<std::string> findSerialDevices(const std::string& devRoot = "/dev");

// The device path of port index 0..3 (Com1..Com4): the operator's choice when
// it is not empty, else the index-th device found, else empty (also for an
// index outside 0..3).
std::string devicePathForPort(int portIndex, const std::array<std::string, 4>& operatorDevices,
                              const std::vector<std::string>& found);

// What kind of file a device path leads to, as far as opening it as a
// serial line goes.
enum class DeviceKind {
  kMissing,
  kSerial,        // a terminal device: a character device of the tty class
  kRegularFile,   // a plain file (a typing error, or a copy of a device)
  kDirectory,     // a folder
  kNotATerminal,  // a character device outside the tty class (/dev/null)
  kOther,         // a block device, a pipe or a socket
};

// What the doctor needs to know about a device before it gives advice.
struct DeviceAccess {
  bool exists = false;
  DeviceKind kind = DeviceKind::kMissing;
  std::string group;  // name of the owning group (its number when it has no name)
  gid_t gid = 0;
  std::string owner;       // name of the owning user (its number when it has no name)
  unsigned mode = 0;       // the permission bits, 0660 for the usual serial device
  bool readWrite = false;  // this process may open it for reading and writing
  // The owning group may read and write it, so joining that group gives
  // access. Not said of root's group: nobody should join it for a port.
  bool groupReadWrite = false;
  // Its name under /dev once links are followed ("ttyUSB0", "pts/3"), else
  // its file name: what a udev rule matches.
  std::string kernelName;
};

// Looks at a device path (following links, so a by-id name reports the
// device itself). `sysRoot` is "/sys" except in tests: a character device is
// a terminal when sysfs lists it in the tty class, or when it is a
// pseudo-terminal; without a tty class in sysfs every character device is
// taken for one (the open will tell).
DeviceAccess checkDeviceAccess(const std::string& path, const std::string& sysRoot = "/sys");

// The command that gives the current user the group's access; it takes
// effect at the next login.
std::string groupAccessCommand(const std::string& group);

// The group serial devices go to on this machine: dialout, or uucp where the
// distribution uses that one instead.
std::string serialGroup();

// A udev rule giving `group` read and write access to every device named as
// `kernelName` is with another number: for ttyUSB0,
//   SUBSYSTEM=="tty", KERNEL=="ttyUSB[0-9]*", GROUP="dialout", MODE="0660"
std::string udevRuleFor(const std::string& kernelName, const std::string& group);

// Where the rule goes, and what makes udev apply it to devices already there.
inline constexpr const char* kUdevRuleFile = "/etc/udev/rules.d/60-flowdesk.rules";
inline constexpr const char* kUdevReloadCommand =
    "sudo udevadm control --reload && sudo udevadm trigger";

}  // namespace flowdesk
