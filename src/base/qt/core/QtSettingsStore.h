// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <memory>

#include "base/SettingsStore.h"

class QSettings;

namespace flowdesk {

// The operator's settings as an INI file per user:
// $XDG_CONFIG_HOME/flowdesk/<ApplicationName>.ini (~/.config/... by default).
// The top-level values sit in the file's [General] section, the catalogue in
// [Probe] and [Angle]. Qt reads XDG_CONFIG_HOME once, at the first QSettings
// of the process.
class QtSettingsStore : public SettingsStore {
 public:
  explicit QtSettingsStore(const QString& applicationName);
  ~QtSettingsStore() override;  // writes what is pending
  QtSettingsStore(const QtSettingsStore&) = delete;
  QtSettingsStore& operator=(const QtSettingsStore&) = delete;

  std::string readText(const std::string& key, const std::string& name,
                       const std::string& defaultValue) override;
  // Accepts any whole number that fits 32 bits, signed or not (4294967295
  // reads as -1, as the 32-bit word it is); anything else gives the default.
  std::int32_t readNumber(const std::string& key, const std::string& name,
                          std::int32_t defaultValue) override;
  void writeText(const std::string& key, const std::string& name,
                 const std::string& value) override;
  void writeNumber(const std::string& key, const std::string& name, std::int32_t value) override;
  bool sync() override;

  QString fileName() const;

 private:
  std::unique_ptr<QSettings> settings_;
};

}  // namespace flowdesk
