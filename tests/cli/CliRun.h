// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// flowdesk-cli with a private settings folder, run in `dir` as its current
// folder (a child starts in its parent's), so that relative names land there.
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/Processes.h"
#include "support/TestFiles.h"

namespace flowdesk::testing {

struct CliRun {
  TempDir dir;
  // `env` adds to (or overrides) the private folders.
  Finished cli(std::vector<std::string> args, std::map<std::string, std::string> env = {}) const {
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    env.insert({{"XDG_CONFIG_HOME", dir.file("config")},
                {"XDG_DATA_HOME", dir.file("data")},
                {"HOME", dir.path()}});
    Finished f = runProgram(FLOWDESK_CLI_BIN, std::move(args), env, dir.path());
    std::filesystem::current_path(before);
    return f;
  }
};

}  // namespace flowdesk::testing
