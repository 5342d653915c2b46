// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

#include "config/ConfigurationSession.h"
#include "config/SettingsBlockSession.h"

namespace flowdesk {

// The factory-settings screen without its widgets: the FactoryBlock from the
// unit or from a ".rus" file, TRANSFERT, SAVEDISK and COMPARE.
class FactorySession : public SettingsBlockSession {
 public:
  explicit FactorySession(AppContext& context);

  // Where the comparison report takes its date; tests set their own.
  LocalTimeSource localTime = systemLocalTime;

  // COMPARE is offered on the unit only, while the fields are exactly those
  // read from it.
  bool compareOffered() const { return !fromFile() && unchanged(); }

  // The fields now shown against a factory-settings file: the report goes to
  // the next free "Ecart"/"Deviation" name in `reportFolder`; the image keeps
  // the values shown.
  ComparisonOutcome compare(const std::string& path, const std::string& reportFolder,
                            const RegionalSettings& regional);

 protected:
  FileResult readFile(const std::string& path, Bytes& block) override;
  FileResult writeFile(const std::string& path, const Bytes& block) override;
  void clampImage() override;
};

}  // namespace flowdesk
