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

// What the permission message needs to know about a device.
struct DeviceAccess {
  bool exists = false;
  std::string group;  // name of the owning group (its number when it has no name)
  gid_t gid = 0;
  bool readWrite = false;  // this process may open it for reading and writing
};

// Looks at a device path (following links, so a by-id name reports the
// device itself).
DeviceAccess checkDeviceAccess(const std::string& path);

// The command that gives the current user the group's access; it takes
// effect at the next login.
std::string groupAccessCommand(const std::string& group);

}  // namespace flowdesk
