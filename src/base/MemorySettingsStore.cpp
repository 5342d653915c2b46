// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/MemorySettingsStore.h"

namespace flowdesk {

std::string MemorySettingsStore::readText(const std::string& key, const std::string& name,
                                          const std::string& defaultValue) {
  const auto it = values.find({key, name});
  if (it == values.end()) return defaultValue;
  if (const auto* text = std::get_if<std::string>(&it->second)) return *text;
  return defaultValue;  // a number where a text was expected
}

std::int32_t MemorySettingsStore::readNumber(const std::string& key, const std::string& name,
                                             std::int32_t defaultValue) {
  const auto it = values.find({key, name});
  if (it == values.end()) return defaultValue;
  if (const auto* number = std::get_if<std::int32_t>(&it->second)) return *number;
  return defaultValue;  // a text where a number was expected
}

void MemorySettingsStore::writeText(const std::string& key, const std::string& name,
                                    const std::string& value) {
  if (!failWrites) values[{key, name}] = value;
}

void MemorySettingsStore::writeNumber(const std::string& key, const std::string& name,
                                      std::int32_t value) {
  if (!failWrites) values[{key, name}] = value;
}

}  // namespace flowdesk
