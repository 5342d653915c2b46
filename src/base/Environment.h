// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <optional>
#include <string>

namespace flowdesk {

// Looks up one environment variable: no value when it is not set (an empty
// value is a set variable). Start-up code takes one of these instead of
// calling getenv so tests can describe the environment they need.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// The process's own environment.
EnvironmentLookup processEnvironment();

}  // namespace flowdesk
