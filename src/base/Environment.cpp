// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Environment.h"

#include <cstdlib>

namespace flowdesk {

EnvironmentLookup processEnvironment() {
  return [](const std::string& name) -> std::optional<std::string> {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  };
}

}  // namespace flowdesk
