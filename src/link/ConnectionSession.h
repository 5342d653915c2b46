#pragma once
#include <span>
#include <string>
#include <vector>

#include "link/AppContext.h"
#include "link/UnitDetection.h"

namespace flowdesk {

// Why one port of a scan gave no unit, with what the operator needs to act on.
struct PortFailure {
  enum class Reason {
    kNoAnswer,    // the device opened, but nothing answered at the rates tried
    kNoDevice,    // no device is mapped to the port at all
    kMissing,     // the mapped device is not there
    kPermission,  // the open was refused: the device belongs to a group we are not in
    kBusy,        // another program holds the device
    kUnusable,    // it opened no serial line (not a terminal, or another fault)
  };
  int portIndex = 0;
  Reason reason = Reason::kNoAnswer;
  std::string device;
  std::vector<int> baudIndexes;  // kNoAnswer: where the device opened, slowest first
  std::string group;             // kPermission: the group that owns the device
  std::string fixCommand;        // kPermission: what puts this user in that group
  int status = 0;                // kUnusable: the serial library's status
};

// What Connect did, as data; connectionReportText puts it into words.
struct ConnectionOutcome {
  bool found = false;
  // Where the unit answered, when found.
  int portIndex = 0;
  int baudIndex = 0;
  int address = 0;  // the unit's own address, now the Jbus setting
  std::string device;
  // The ports that gave nothing, in the order tried (also those tried before
  // the one that answered).
  std::vector<PortFailure> failures;
  // The serial devices this machine has; looked up only when a failure is a
  // missing device, so the operator sees what to map instead.
  std::vector<std::string> presentDevices;
};

// What the device box offers for the current port.
struct DeviceChoices {
  std::vector<std::string> items;  // the devices found, the current one first when not among them
  std::string current;             // the device the port opens now (may be empty)
};

// The connection page without its widgets: the Connect sequence and the
// device and program choices, on the application's settings (which the
// master reads at every transaction). The dialog and `flowdesk-cli detect`
// both drive it.
class ConnectionSession {
 public:
  // `devRoot` is where serial devices are looked for: "/dev" except in tests.
  explicit ConnectionSession(AppContext& context, std::string devRoot = "/dev");

  // Finds the unit as connectUnit does (on success Com, Bauds and Jbus are
  // where it answered; on failure all three are as before) and tells, for
  // every port tried that gave nothing, why. `progress` is called before
  // each combination.
  ConnectionOutcome connect(const DetectionProgress& progress = {},
                            std::span<const int> ports = kDetectionPorts);

  // The port the page shows: Com, or Com1 when Com is out of range.
  int port() const;
  std::string devicePath() const;
  DeviceChoices deviceChoices() const;
  // The operator picked or typed a device for the current port. It is saved
  // in DeviceN and wins over a path set for this run only (the virtual
  // unit); an empty path returns to the default mapping. False when the port
  // opens that device already.
  bool chooseDevice(const std::string& path);

  // Where the program prompt starts: the chosen program's folder, else where
  // programs live.
  std::string spreadsheetFolder() const;
  // Stored as chosen: a Linux program has no ".exe" to put back.
  void chooseSpreadsheet(const std::string& path);

 private:
  AppContext& context_;
  std::string devRoot_;
};

// The bilingual text of an outcome, UTF-8, for the page's message box and the
// CLI alike: the success sentence, or the failure sentence followed by one
// paragraph per port that failed (paragraphs are separated by an empty line).
std::string connectionReportText(const ConnectionOutcome& outcome, int language);

// A report on one line, for a terminal: the first paragraph, ": ", then the
// others joined with "; ", each paragraph's own lines joined with a space.
std::string reportLine(const std::string& report);

// What the page says under the device box before any open: a device this
// user may not open, or one that does not exist. Empty when it looks usable
// (or for an empty path).
std::string deviceAccessText(const std::string& device, int language);

}  // namespace flowdesk
