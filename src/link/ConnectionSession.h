// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <span>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "link/AppContext.h"
#include "link/PortFailure.h"
#include "link/UnitDetection.h"

namespace flowdesk {

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
  // The adapter handed back what the master sent (a two-wire RS-485
  // adapter without echo suppression): the master skips it, and the
  // operator learns why the trace shows it.
  bool adapterEchoes = false;
  // The unit was found on a raw device server (tcp://): the rate is the
  // server's, and the report says so instead of naming one it did not set.
  bool serverRate = false;
};

// What the device box offers for the current port.
struct DeviceChoices {
  // The devices found, then the virtual unit when one runs, the current one
  // first when not among them.
  std::vector<std::string> items;
  std::string current;  // the device the port opens now (may be empty)
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
                            std::span<const int> ports = kDetectionPorts,
                            DetectionStart start = DetectionStart::kSavedFirst);

  // The port the page shows: Com, or Com1 when Com is out of range.
  int port() const;
  std::string devicePath() const;
  DeviceChoices deviceChoices() const;
  // How the device box names a device: the running virtual unit as
  // "virtual unit (/dev/pts/N)", any other by its path.
  std::string deviceText(const std::string& device, Language language) const;
  // The operator picked or typed a device for the current port: a path, or
  // the virtual unit's name in either language. It is saved in DeviceN and
  // wins over a path set for this run only; an empty text returns to the
  // default mapping, and on the virtual unit's port to the virtual unit. The
  // virtual unit's terminal is used for this run only, never saved. False
  // when the port opens that device already.
  bool chooseDevice(const std::string& typed);

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
// paragraph per port that failed (paragraphs are separated by an empty line),
// and a last one when the adapter echoes.
std::string connectionReportText(const ConnectionOutcome& outcome, Language language);

// What the report says of a raw device server's rate.
std::string serverRateText(Language language);

// What the report says of an adapter that echoes, for a terminal that shows
// the port found on a line of its own.
std::string adapterEchoText(Language language);

// A report on one line, for a terminal: the first paragraph, ": ", then the
// others joined with "; ", each paragraph's own lines joined with a space.
std::string reportLine(const std::string& report);

}  // namespace flowdesk
