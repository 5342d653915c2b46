// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string>

namespace flowdesk {

// A per-user persistent key/value store. Keys are paths relative to the
// application's own settings ("" for its top level, "Probe", "Angle"); each
// key holds named text and 32-bit number values.
//
// Reads never fail: a missing key, a missing value or a value that cannot be
// read as the asked type gives the caller's default. Texts are returned whole,
// however long: a stored path of any length is a real Linux path, and cutting
// or refusing it would lose the operator's folder (reading into a std::string
// cannot overflow anything). Writes create the key when needed; a single
// write's failure is not reported, but sync() says whether everything written
// so far reached the disk.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  virtual std::string readText(const std::string& key, const std::string& name,
                               const std::string& defaultValue) = 0;
  virtual std::int32_t readNumber(const std::string& key, const std::string& name,
                                  std::int32_t defaultValue) = 0;
  virtual void writeText(const std::string& key, const std::string& name,
                         const std::string& value) = 0;
  virtual void writeNumber(const std::string& key, const std::string& name, std::int32_t value) = 0;

  // Makes the writes durable; false when the store could not be written.
  virtual bool sync() { return true; }
};

}  // namespace flowdesk
