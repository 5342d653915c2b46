// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "base/BinaryFile.h"
#include "base/RegionalFormat.h"
#include "config/CalibrationFile.h"
#include "config/ComparisonReport.h"
#include "config/UnitWrites.h"
#include "link/AppContext.h"
#include "link/BlockTransfer.h"

namespace flowdesk {

// The date and time as printouts and comparison reports show them.
std::string dateTimeText(const LocalDateTime& t, const RegionalSettings& regional);

// Opening the sheet, on the unit or on a calibration file.
struct OpenOutcome {
  bool ok = false;
  bool fromFile = false;
  // The model word (register 10) was read: the unit is there and the number
  // of configurations is known. On a file without it the sheet only shows.
  bool unitAnswered = false;
  int configurations = 2;
  FileResult file;  // file mode: why the file was refused
  // A file whose block is shorter than a configuration: the bytes it held
  // (the other fields took their defaults); -1 for a whole block.
  int shortBlockBytes = -1;
  // The last exchange: when the unit could not be asked, why (link.port
  // when its port did not open).
  LinkResult link;
};

// Reading another configuration.
struct ReadOutcome {
  bool ok = true;
  bool read = false;  // false: the number did not change, nothing was asked
  int number = 0;     // the configuration shown afterwards
  int wanted = 0;
  LinkResult link;  // the read, when one was made
};

// What TRANSFERT does besides writing the configuration.
struct UploadRequests {
  bool setClock = false;
  std::array<bool, 3> resetTotalizer{};
  bool anyReset() const { return resetTotalizer[0] || resetTotalizer[1] || resetTotalizer[2]; }
  bool operator==(const UploadRequests&) const = default;
};

enum class UploadStep { kClock, kResets, kSpecialProbe, kConfiguration };

// failedNumber: the configuration, when the failed step was one.
struct UploadOutcome : StepOutcome<UploadStep> {
  bool refused = false;  // no unit behind the sheet (file opened without one)
  FileResult file;       // refused for the opened file's block length (see BlockLength.h)
  std::vector<int> configurationsWritten;  // in the order written
  // The configurations after the failed step, never sent.
  std::vector<int> configurationsNotSent;
};

// The calibration sheet without its widgets: the configuration-management
// page's state (read and write numbers, TRANSFERT requests, PrintMode) and
// its sequences against the unit, on the application's DeviceImage. The
// dialog and flowdesk-cli both drive it; outcomes come back as data and the
// *Text functions below put them into words.
class ConfigurationSession {
 public:
  explicit ConfigurationSession(AppContext& context);

  // Where TRANSFERT takes the PC's time and the report its date; tests set
  // their own.
  LocalTimeSource localTime = systemLocalTime;

  // The model word, then configuration 0. Fails when either is not read.
  OpenOutcome openUnit();
  // The model word (its failure only forbids writing), then the file: its
  // catalogue and special-probe words go into the identification cache, its
  // block into the image.
  OpenOutcome openFile(const std::string& path);

  bool fromFile() const { return fromFile_; }
  const std::string& filePath() const { return filePath_; }
  // Nothing can be written when a file was opened without a unit.
  bool canWrite() const { return unitAnswered_; }
  int configurationCount() const { return configurations_; }
  int readNumber() const { return readNumber_; }
  // 0 to count-1, or count for all of them.
  int writeNumber() const { return writeNumber_; }
  bool writesAll() const { return writeNumber_ == configurations_; }

  // The read list changed: the write number follows; a new number is read,
  // and a failed read keeps the previous configuration and its number.
  ReadOutcome selectRead(int number);
  // The write list changed; false (and nothing changed) outside 0..count.
  bool selectWrite(int number);

  UploadRequests requests;

  // Why TRANSFERT cannot write the opened file, asked before the operator
  // is: a block shorter than a configuration. Ok on the unit.
  FileResult uploadRefusal() const;

  // TRANSFERT after the operator said yes: clock, resets, the special probe
  // of a file, then the configuration(s), each write followed by the unit's
  // pause; the first failure ends it. `progress` gets each step text. On
  // success the requests are cleared and the write number returns to the
  // read number. Nothing at all is sent while uploadRefusal() says no.
  UploadOutcome upload(const std::function<void(const std::string&)>& progress = {});

  // COMPARE is offered only while the image holds the configuration exactly
  // as the unit sent it.
  bool compareOffered() const;

  // Set by PRINT; the selection page clears it when it is shown again.
  bool PrintMode = false;
  // The selection page became the visible tab again.
  void selectionPageShown() { PrintMode = false; }

  // The configuration shown, with this installation's catalogue and
  // special-probe words, written whole.
  CalibrationFile calibrationFile() const;
  FileResult saveCalibration(const std::string& path) const;

  // The configuration shown against a calibration file: the report goes to
  // the next free "Ecart"/"Deviation" name in `reportFolder`. The image keeps
  // the unit's values.
  ComparisonOutcome compare(const std::string& path, const std::string& reportFolder,
                            const RegionalSettings& regional);

  // The configuration bytes as last read from the unit.
  const Bytes& lastBlock() const { return lastBlock_; }

 private:
  LinkResult readModelWord();
  LinkResult readConfiguration(int number);
  Language language() const;

  AppContext& context_;
  bool fromFile_ = false;
  std::string filePath_;
  CalibrationFile file_;
  bool unitAnswered_ = false;
  int configurations_ = 2;
  int readNumber_ = 0;
  int writeNumber_ = 0;
  Bytes lastBlock_;
};

// The words of each outcome, UTF-8, for the sheet's message boxes and the CLI
// alike. Lines are separated by "\n".
std::string openText(const OpenOutcome& outcome, Language language);
std::string readText(const ReadOutcome& outcome, Language language);
std::string uploadText(const UploadOutcome& outcome, Language language);

}  // namespace flowdesk
