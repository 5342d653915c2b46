// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "base/RegionalFormat.h"
#include "link/AppContext.h"
#include "link/BlockTransfer.h"

namespace flowdesk {

// Why the logger settings could not be shown: the screen then closes
// without a word, unless the port did not open (it says why).
enum class LoggerOpenStop {
  kNone,
  kFileMode,    // the screen works on a connected unit only
  kNoLogger,    // the model word says no logger is fitted (or was not read)
  kReadFailed,  // block L or the logger size was not read
};

struct LoggerOpenOutcome {
  bool ok = false;
  LoggerOpenStop stop = LoggerOpenStop::kNone;
  LinkResult link;  // the last read (kNoLogger, kReadFailed: link.port when the port did not open)
};

// What the screen says when it cannot open: why the port did not open, or
// nothing.
std::string loggerOpenText(const LoggerOpenOutcome& outcome, Language language);

enum class LoggerUploadStep { kErase, kSettings };

using LoggerUploadOutcome = StepOutcome<LoggerUploadStep>;

// The logger configuration screen without its widgets: the settings of block
// L in the application's DeviceImage, the type read at opening, the logger
// memory in 4-parameter records, the erase request, the rules every change
// goes through and the TRANSFERT sequence. The dialog and flowdesk-cli both
// drive it.
class LoggerConfigurationSession {
 public:
  explicit LoggerConfigurationSession(AppContext& context);

  // Model word (a logger must be fitted), block L, logger size; a stored
  // index beyond its list becomes 0. Nothing is read on a file (the screen
  // shows a unit's settings only).
  LoggerOpenOutcome open(bool fromFile = false);

  LoggerSettingsRegion& settings() { return context_.image.logger; }
  const LoggerSettingsRegion& settings() const { return context_.image.logger; }
  std::int32_t typeAtOpen() const { return typeAtOpen_; }
  std::uint16_t loggerSize() const { return loggerSize_; }
  // The logger memory in records of the 4-parameter type.
  std::uint32_t capacityUnits() const { return capacityUnits_; }

  // The "Erase Logger" box: the type can change only together with an erase.
  bool eraseRequested = false;

  // After any change and before PRINT and TRANSFERT: the point number
  // clamped to 0-255, and without an erase the type read at opening.
  void applyRules();
  bool typeEditable() const { return eraseRequested; }
  // Parameters 5 to 9 exist only on 9-parameter records.
  bool hasParameters5To9() const { return settings().loggerType == 1; }

  // How long the memory lasts with the chosen type and period.
  std::uint64_t rangeSeconds() const;
  std::string rangeText(Language language, const RegionalSettings& regional) const;

  // TRANSFERT after the operator said yes: the erase command when asked,
  // then block L, each write followed by the unit's pause; a failed erase
  // stops before the settings. `progress` gets each step text.
  LoggerUploadOutcome upload(const std::function<void(const std::string&)>& progress = {});

 private:
  AppContext& context_;
  std::int32_t typeAtOpen_ = 0;
  std::uint16_t loggerSize_ = 0;
  std::uint32_t capacityUnits_ = 0;
};

// (capacityUnits ÷ (type + 1)) records of the period, in 64-bit arithmetic so
// that a large logger at 24 h does not wrap.
std::uint64_t loggerRangeSeconds(std::uint32_t capacityUnits, int loggerType, int periodIndex);

// "%ld Jour(s) " when there are whole days, then the time of day in the
// regional time format.
std::string loggerRangeText(std::uint64_t seconds, Language language,
                            const RegionalSettings& regional);

// The words of a TRANSFERT for the message box and the CLI.
std::string loggerUploadText(const LoggerUploadOutcome& outcome, Language language);

}  // namespace flowdesk
