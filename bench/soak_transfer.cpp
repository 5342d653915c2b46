// SPDX-License-Identifier: GPL-3.0-or-later
// Soak test of the link: reads M1 and M2 through the program's transfer, in a
// loop, from flowdesk-unit at 9600 baud, for a given time, with faults
// injected by the unit. Prints the transfers, the failed ones, the attempts
// that failed and the faults the unit says it injected; every failed attempt
// must be explained by an injected fault.
//
//   bench_soak_transfer [SECONDS] [--faults RULES] [--unit PATH]
//
// SECONDS defaults to 3600. RULES is flowdesk-unit's fault syntax (default: a
// fault of each kind on 0.3 % of the requests). The unit program is looked up
// beside the build's programs unless --unit (or FLOWDESK_UNIT_BIN) names it.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "base/AppSettings.h"
#include "link/AppContext.h"
#include "link/BlockMaps.h"
#include "link/Blocks.h"
#include "link/FieldMap.h"
#include "link/FrameTrace.h"

namespace {

using namespace flowdesk;
using Steady = std::chrono::steady_clock;

constexpr const char* kDefaultFaults =
    "drop%0.3;crc%0.3;short%0.3;long%0.3;exception%0.3;late%0.3;pause%0.3";

struct Options {
  double seconds = 3600;
  std::string faults = kDefaultFaults;
  std::string unit;
};

bool parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if ((a == "--faults" || a == "--unit") && i + 1 < argc) {
      (a == "--faults" ? o.faults : o.unit) = argv[++i];
    } else if (!a.empty() && a[0] != '-') {
      char* end = nullptr;
      o.seconds = std::strtod(a.c_str(), &end);
      if (*end != '\0' || !(o.seconds > 0)) return false;
    } else {
      return false;
    }
  }
  o.unit = bench::buildProgram(o.unit, "FLOWDESK_UNIT_BIN", "flowdesk-unit");
  return true;
}

double cpuSeconds(int who) {
  rusage u{};
  ::getrusage(who, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) {
    std::fprintf(stderr, "usage: bench_soak_transfer [SECONDS] [--faults RULES] [--unit PATH]\n");
    return 2;
  }
  const std::string folder = bench::scratchFolder("flowdesk-soak");
  if (folder.empty()) return 2;
  const std::string link = folder + "/unit";
  const std::string unitTrace = folder + "/unit.trace";

  // The unit, with its trace (one note per injected fault) in a file.
  bench::BenchUnit unit(options.unit, link, {"--trace", "--seed", "7", "--faults", options.faults},
                        unitTrace);
  if (!unit.started()) {
    std::fprintf(stderr, "bench_soak_transfer: %s did not start\n", options.unit.c_str());
    return 2;
  }

  DeviceImage image;
  AppContext app(systemClock(), image);
  bench::useUnitAt9600(app, link);

  // Every attempt goes out as one TX frame in the trace.
  long attempts = 0;
  frameTrace().setSink([&](const std::string& line) {
    if (line.find("TX") != std::string::npos) ++attempts;
  });
  frameTrace().setEnabled(true);

  const FieldMap m1 = m1Map(image);
  const FieldMap m2 = m2Map(image);
  long transfers = 0, failures = 0;
  double longestMs = 0;
  const auto start = Steady::now();
  auto nextReport = start + std::chrono::seconds(60);
  const double cpuBefore = cpuSeconds(RUSAGE_SELF);
  std::printf("soak: %.0f s against %s (%s), faults \"%s\"\n", options.seconds,
              unit.device().c_str(), link.c_str(), options.faults.c_str());
  std::fflush(stdout);
  while (std::chrono::duration<double>(Steady::now() - start).count() < options.seconds) {
    for (const RegisterBlock* block : {&kM1Block, &kM2Block}) {
      const auto t0 = Steady::now();
      const LinkResult r = app.master.readRegisters(block->firstRegister, block->count);
      const double ms = std::chrono::duration<double, std::milli>(Steady::now() - t0).count();
      if (ms > longestMs) longestMs = ms;
      ++transfers;
      if (!r.ok()) {
        ++failures;
        std::printf("  transfer %ld failed after %.0f s\n", transfers,
                    std::chrono::duration<double>(Steady::now() - start).count());
      } else {
        decodeReply(block == &kM1Block ? m1 : m2, r.data().data());
      }
    }
    if (Steady::now() >= nextReport) {
      nextReport += std::chrono::seconds(60);
      std::printf("  %5.0f s: %ld transfers, %ld failed, %ld attempts\n",
                  std::chrono::duration<double>(Steady::now() - start).count(), transfers, failures,
                  attempts);
      std::fflush(stdout);
    }
  }
  const double wall = std::chrono::duration<double>(Steady::now() - start).count();
  const double cpu = cpuSeconds(RUSAGE_SELF) - cpuBefore;
  frameTrace().setEnabled(false);
  frameTrace().setSink({});

  unit.stop();

  // The unit's account: requests it accepted and the faults it injected.
  std::map<std::string, long> injected;
  long faults = 0, pauses = 0;
  {
    std::ifstream trace(unitTrace);
    std::string line;
    while (std::getline(trace, line)) {
      const auto at = line.find(": fault ");
      if (at == std::string::npos) continue;
      const std::string kind = line.substr(at + 8);
      ++injected[kind];
      ++faults;
      if (kind == "pause") ++pauses;
    }
  }
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);

  // The identification's three reads are attempts too, and each transfer
  // that succeeded took exactly one good attempt.
  const long identification = 3;
  const long failedAttempts = attempts - identification - (transfers - failures);
  // A paused reply spoils two attempts: its own, and the next one, which
  // receives the rest of the paused reply while the unit is still answering.
  const long explained = faults + pauses;
  const long unexplained = failedAttempts > explained ? failedAttempts - explained : 0;

  std::printf("duration            %.1f s\n", wall);
  std::printf("transfers           %ld (M1 and M2, %.2f per second)\n", transfers,
              static_cast<double>(transfers) / wall);
  std::printf("failed transfers    %ld\n", failures);
  std::printf("attempts            %ld (%ld failed)\n", attempts, failedAttempts);
  std::printf("injected faults     %ld", faults);
  for (const auto& [kind, n] : injected) std::printf("  %s %ld", kind.c_str(), n);
  std::printf("\n");
  std::printf("unexplained faults  %ld\n", unexplained);
  std::printf("longest transfer    %.0f ms\n", longestMs);
  std::printf("master CPU          %.2f %% of one core\n", 100.0 * cpu / wall);
  return unexplained == 0 && (failures == 0 || faults > 0) ? 0 : 1;
}
