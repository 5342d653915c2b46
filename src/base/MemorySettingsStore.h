// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <variant>

#include "base/SettingsStore.h"

namespace flowdesk {

// A store that lives in memory: for tests, and for runs that must not touch
// the operator's saved settings.
class MemorySettingsStore : public SettingsStore {
 public:
  using Value = std::variant<std::string, std::int32_t>;
  using Path = std::pair<std::string, std::string>;  // key, value name

  std::string readText(const std::string& key, const std::string& name,
                       const std::string& defaultValue) override;
  std::int32_t readNumber(const std::string& key, const std::string& name,
                          std::int32_t defaultValue) override;
  void writeText(const std::string& key, const std::string& name,
                 const std::string& value) override;
  void writeNumber(const std::string& key, const std::string& name, std::int32_t value) override;
  bool sync() override { return !failWrites; }

  // Everything stored, to inspect or to prepare by hand.
  std::map<Path, Value> values;
  // When set, writes are dropped and sync() reports the failure.
  bool failWrites = false;
};

}  // namespace flowdesk
