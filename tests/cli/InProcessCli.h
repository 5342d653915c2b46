// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// flowdesk-cli run in-process through runCli, with a private settings store
// and data folder for each run, so that a test reads what it printed and
// what it stored without a process in between.
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/MemorySettingsStore.h"
#include "cli/Cli.h"
#include "support/TestFiles.h"

namespace flowdesk::testing {

struct InProcessCli {
  TempDir home;
  MemorySettingsStore settings;
  std::string out, err;
  // The line and the clock of an in-process unit, when the test has one.
  Clock* clock = nullptr;
  PortOpener portOpener;
  RegionalSettings regional;  // the desktop the command runs on

  CliEnvironment environment() {
    CliEnvironment e;
    const std::string root = home.path();
    e.env = [root](const std::string& name) -> std::optional<std::string> {
      if (name == "XDG_CONFIG_HOME") return root + "/config";
      if (name == "XDG_DATA_HOME") return root + "/data";
      if (name == "HOME") return root;
      return std::nullopt;
    };
    e.settings = &settings;
    e.clock = clock;
    e.portOpener = portOpener;
    e.regional = regional;
    return e;
  }

  int run(std::vector<std::string> args) {
    std::ostringstream o, e;
    int code = runCli(args, o, e, environment());
    out = o.str();
    err = e.str();
    return code;
  }
  std::string file(const std::string& name) { return home.file(name); }
  int errLines() const {
    int n = 0;
    for (char c : err) n += c == '\n';
    return n;
  }
};

}  // namespace flowdesk::testing
