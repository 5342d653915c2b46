// SPDX-License-Identifier: GPL-3.0-or-later
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "cli/qt/core/SystemCliEnvironment.h"
#if FLOWDESK_CLI_PLOT
#include "cli/qt/PlotImageFile.h"
#endif

int main(int argc, char** argv) {
  // A file grown past the size limit (ulimit -f) would otherwise kill the
  // command half way; ignored, the write fails with EFBIG as on a full disk,
  // and the command says so and keeps the previous file.
  std::signal(SIGXFSZ, SIG_IGN);
  std::vector<std::string> arguments(argv + 1, argv + argc);
  const flowdesk::SystemCliEnvironment system;
  flowdesk::CliEnvironment environment = system.environment();
#if FLOWDESK_CLI_PLOT
  environment.writePlot = flowdesk::writePlotImageFile;
#endif
  const int status = flowdesk::runCli(arguments, std::cout, std::cerr, environment);
  std::cout.flush();
  return status;
}
