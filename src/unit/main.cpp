// SPDX-License-Identifier: GPL-3.0-or-later
// flowdesk-unit: a virtual flowmeter on a pseudo-terminal.
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/BuildInfo.h"
#include "unit/FaultPlan.h"
#include "unit/PtyLink.h"
#include "unit/StateFile.h"
#include "unit/UnitOptions.h"
#include "unit/UnitServer.h"
#include "unit/VirtualUnit.h"

using namespace flowdesk::unit;

namespace {

int usage(const std::string& message) {
  std::fprintf(stderr, "flowdesk-unit: %s\n", message.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  const auto options = parseUnitOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) return usage(error);
  if (options->help) {
    std::fputs(unitHelpText().c_str(), stdout);
    return 0;
  }
  if (options->version) {
    std::printf("flowdesk-unit %s\n", flowdesk::build::kFileVersion);
    return 0;
  }

  std::optional<StoredBlocks> restored;
  if (!options->unit.statePath.empty()) {
    std::string text;
    bool missing = false;
    if (!readTextFile(options->unit.statePath, text, missing, error)) return usage(error);
    if (!missing) {
      // Start from the defaults, so a file naming only some blocks keeps the rest.
      StoredBlocks blocks = VirtualUnit::defaultBlocks(options->unit);
      if (!parseState(text, blocks, error)) {
        return usage("state file " + options->unit.statePath + ", " + error);
      }
      restored = blocks;
    }
  }
  std::string faultError;
  auto faults = FaultPlan::parse(options->faults, options->unit.seed, faultError);
  if (!faults) return usage(faultError);

  // Signals are read from a descriptor in the same poll as the line, so the
  // unit never wakes up for anything else while it is idle.
  sigset_t mask;
  sigemptyset(&mask);
  sigaddset(&mask, SIGTERM);
  sigaddset(&mask, SIGINT);
  sigaddset(&mask, SIGHUP);
  sigprocmask(SIG_BLOCK, &mask, nullptr);
  signal(SIGPIPE, SIG_IGN);
  const int signalFd = signalfd(-1, &mask, SFD_CLOEXEC | SFD_NONBLOCK);
  if (signalFd < 0) {
    std::perror("flowdesk-unit: signalfd");
    return 1;
  }

  VirtualUnit unit(options->unit, systemWallClock, restored ? &*restored : nullptr);
  unit.warn = [](const std::string& message) {
    std::fprintf(stderr, "flowdesk-unit: %s\n", message.c_str());
  };
  PtyLink link;
  if (!link.open(options->baud, error)) {
    std::fprintf(stderr, "flowdesk-unit: %s\n", error.c_str());
    return 1;
  }
  if (!options->linkPath.empty() && !link.makeLink(options->linkPath, error)) {
    std::fprintf(stderr, "flowdesk-unit: --link %s\n", error.c_str());
    return 1;
  }
  // Whoever reads this line may use the terminal and the link at once.
  std::printf("%s\n", link.slavePath().c_str());
  std::fflush(stdout);
  // Same switch as the other programs: FLOWDESK_TRACE=1 turns the trace on.
  const char* traceEnv = std::getenv("FLOWDESK_TRACE");
  const bool trace = options->trace || (traceEnv && std::string(traceEnv) == "1");
  UnitServer server(unit, link, std::move(*faults), options->baud,
                    std::chrono::milliseconds(options->turnaroundMs), trace ? stderr : nullptr);
  server.echoRequests = options->echoRequests;
  const int status = server.run(signalFd);
  link.removeLink();
  ::close(signalFd);
  return status;
}
