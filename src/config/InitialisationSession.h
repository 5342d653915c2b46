// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "config/UnitWrites.h"
#include "link/AppContext.h"
#include "link/BlockTransfer.h"

namespace flowdesk {

// The groups of settings the initialisation returns to their defaults; each
// is chosen when the dialog opens.
struct InitialisationChoice {
  bool calibration = true;      // every configuration
  bool factorySettings = true;  // the FactoryBlock
  bool makerSettings = true;    // the maker block
  bool operator==(const InitialisationChoice&) const = default;
};

// The writes of the sequence, in the order they are made.
enum class InitialisationStep {
  kClock,
  kFactory,
  kMaker,
  kTotalizerResets,
  kConfiguration,
  kLoggerErase,
  kLoggerSettings
};

// failedNumber: the configuration, when the failed step was one.
struct InitialisationOutcome : StepOutcome<InitialisationStep> {
  std::vector<int> configurationsWritten;
};

// The initialisation without its dialog: the unit's number of
// configurations, the groups chosen, and the sequence that sets the clock,
// writes the chosen groups from their default values, resets the
// totalizers and, on a unit with a logger, erases it and resets its
// settings. Each write is followed by the unit's pause; the first failure
// ends the sequence.
class InitialisationSession {
 public:
  explicit InitialisationSession(AppContext& context);

  // Where the clock step takes the PC's time; tests set their own.
  LocalTimeSource localTime = systemLocalTime;

  // Register 10; false when the unit did not answer (then nothing else is
  // done, not even asked).
  bool readUnit();
  // After readUnit failed: why the port did not open, in words; empty for a
  // unit that stayed silent (the screen then shows nothing).
  std::string unitFailureText(Language language) const;
  // readUnit's read of register 10.
  const LinkResult& unitRead() const { return unitRead_; }
  int configurationCount() const { return configurations_; }
  // A unit with 18 configurations has a logger.
  bool hasLogger() const;

  InitialisationChoice choice;

  // The sequence, after the operator said yes. `progress` gets each step text.
  InitialisationOutcome run(const std::function<void(const std::string&)>& progress = {});

 private:
  AppContext& context_;
  int configurations_ = 2;
  LinkResult unitRead_;  // readUnit's read of register 10
};

// The words of the outcome: empty on success (the dialog says nothing
// then), else the failure and the step it happened at.
std::string initialisationText(const InitialisationOutcome& outcome, Language language);

}  // namespace flowdesk
