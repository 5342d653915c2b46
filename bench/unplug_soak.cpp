// SPDX-License-Identifier: GPL-3.0-or-later
// Unplug soak of flowdesk-cli's record and download: while the command runs,
// flowdesk-unit is ended (SIGTERM, its terminal goes away as an unplugged
// adapter's would) and started again on the same --link path 1 to 3 s later,
// N times each (default 10). Each command is given --reconnect SECONDS so
// that it waits for the device to come back. What must hold, each time:
//   - record FILE.mes --polls P ends with status 0 and the file holds P
//     whole records, none lost or doubled;
//   - download FILE.log ends with status 0 and the file equals the download
//     the unit served without interruption: record i as the unit last sent
//     it (a restarted unit builds its logger again from its clock, so each
//     run's two units' traces say what was served), every record once.
//
//   bench_unplug_soak [--runs N] [--polls P] [--records R] [--reconnect SECONDS]
//                     [--seed N] [--unit PATH] [--cli PATH]
//
// Defaults: 10 runs each, 20 polls, 300 logger records, --reconnect 30;
// --reconnect 0 leaves the option out, to see what a build without it does.
// Prints a table; status 1 when a check fails.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "SoakSupport.h"
#include "logger/LoggerFile.h"
#include "logger/LoggerRecord.h"
#include "measure/MeasurementFile.h"

namespace {

using namespace flowdesk;
using Steady = std::chrono::steady_clock;

struct Options {
  long runs = 10;
  long polls = 20;
  long records = 300;
  long reconnect = 30;
  std::uint32_t seed = 1;
  std::string unit;
  std::string cli;
};

bool parse(int argc, char** argv, Options& o) {
  const bool good =
      bench::parseNamedValues(argc, argv, [&o](const std::string& a, const std::string& v, long n) {
        if (a == "--runs" && n >= 1 && n <= 10000) {
          o.runs = n;
        } else if (a == "--polls" && n >= 1 && n <= 100000) {
          o.polls = n;
        } else if (a == "--records" && n >= 1 && n <= 65000) {
          o.records = n;
        } else if (a == "--reconnect" && n >= 0 && n <= 3600) {
          o.reconnect = n;
        } else if (a == "--seed" && n >= 0) {
          o.seed = static_cast<std::uint32_t>(n);
        } else if (a == "--unit" || a == "--cli") {
          (a == "--unit" ? o.unit : o.cli) = v;
        } else {
          return false;
        }
        return true;
      });
  o.unit = bench::buildProgram(o.unit, "FLOWDESK_UNIT_BIN", "flowdesk-unit");
  o.cli = bench::buildProgram(o.cli, "FLOWDESK_CLI_BIN", "flowdesk-cli");
  return good;
}

long repeatedRecords(const std::string& path) {
  MeasurementFileReader reader;
  if (!reader.open(path).ok()) return 0;
  long repeated = 0;
  MeasurementRecord previous, record;
  for (long long i = 0; i < reader.info().recordCount; ++i) {
    if (!reader.readRecord(i, record).ok()) break;
    if (i > 0 && record.frames == previous.frames) ++repeated;
    previous = record;
  }
  return repeated;
}

struct Tally {
  long runs = 0;
  long good = 0;
  std::string firstProblem;
  double seconds = 0;
};

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!parse(argc, argv, o)) {
    std::fprintf(stderr,
                 "usage: bench_unplug_soak [--runs N] [--polls P] [--records R] "
                 "[--reconnect SECONDS] [--seed N] [--unit PATH] [--cli PATH]\n");
    return 2;
  }
  const std::string folder = bench::scratchFolder("flowdesk-unplugsoak");
  if (folder.empty()) return 2;
  const std::string work = folder + "/work";
  const std::string home = folder + "/home";
  std::filesystem::create_directories(work);
  std::filesystem::create_directories(home);
  const std::string link = folder + "/unit";
  const std::vector<std::string> linkArgs{"--device",  link, "--baud", "9600",
                                          "--address", "1",  "--lang", "en"};
  std::vector<std::string> reconnect;
  if (o.reconnect > 0) reconnect = {"--reconnect", std::to_string(o.reconnect)};
  const std::string records = std::to_string(o.records);
  const std::vector<std::string> loggerUnit{"--configs",        "18",    "--logger-size", records,
                                            "--logger-records", records, "--trace"};
  std::mt19937 random(o.seed);
  std::uniform_real_distribution<double> away(1.0, 3.0);
  // Unplugged once the command talks to the unit (the identification, and
  // for a download the viewer's opening and first page, take up to 3 s on a
  // busy machine) and within the first two thirds of a run that loses
  // nothing: about 0.35 s a poll, 0.3 s a request of 8 logger records at
  // 9600 baud.
  std::uniform_real_distribution<double> recordCut(1.5, 1.5 + 0.2 * static_cast<double>(o.polls));
  std::uniform_real_distribution<double> downloadCut(4.0,
                                                     4.0 + 0.025 * static_cast<double>(o.records));

  struct Case {
    const char* name;
    bool download;
  };
  const Case cases[] = {{"record", false}, {"download", true}};
  std::vector<Tally> tallies(2);
  const auto start = Steady::now();
  for (int c = 0; c < 2; ++c) {
    Tally& tally = tallies[static_cast<std::size_t>(c)];
    const bool download = cases[c].download;
    const auto caseStart = Steady::now();
    for (long run = 1; run <= o.runs; ++run) {
      const std::string target = work + (download ? "/unplug.log" : "/unplug.mes");
      std::error_code ec;
      std::filesystem::remove(target, ec);
      const std::string before = folder + "/unit-" + std::to_string(run) + "-before.trace";
      const std::string after = folder + "/unit-" + std::to_string(run) + "-after.trace";
      const std::vector<std::string> unitArgs =
          download ? loggerUnit : std::vector<std::string>{"--seed", std::to_string(run)};
      auto unit = std::make_unique<bench::BenchUnit>(o.unit, link, unitArgs, before);
      std::vector<std::string> args = linkArgs;
      if (download) {
        args.insert(args.end(), {"download", "unplug.log"});
      } else {
        args.insert(args.end(), {"record", "unplug.mes", "--polls", std::to_string(o.polls)});
      }
      args.insert(args.end(), reconnect.begin(), reconnect.end());
      bench::CliChild child(o.cli, work, home, args);
      bench::sleepSeconds(download ? downloadCut(random) : recordCut(random));
      int status = -1;
      const bool endedEarly = child.finished(status);
      unit.reset();  // SIGTERM: the terminal and the link go away
      const double gone = away(random);
      bench::sleepSeconds(gone);
      unit = std::make_unique<bench::BenchUnit>(o.unit, link, unitArgs, after);
      const double timeout =
          60.0 + static_cast<double>(o.reconnect) +
          (download ? 0.05 * static_cast<double>(o.records) : 1.0 * static_cast<double>(o.polls));
      if (!endedEarly && !child.wait(timeout, status)) {
        child.kill(SIGKILL);
        status = -1;
      }
      unit.reset();
      ++tally.runs;

      std::string problem;
      if (endedEarly) {
        problem = "ended before the unplug, status " + std::to_string(status) + ": " +
                  bench::cliReason(home);
      } else if (status != 0) {
        problem = "status " + std::to_string(status) + ": " + bench::cliReason(home);
      }
      long long got = 0;
      if (download) {
        const bench::RecordFileCheck file = bench::checkLoggerFile(target);
        got = file.records;
        const Bytes served = bench::servedLoggerFile({before, after}, folder + "/served.log");
        if (problem.empty() && (!file.whole || bench::fileBytes(target) != served)) {
          problem = std::to_string(file.records) + " records, not the " +
                    std::to_string(served.size() > 2 ? (served.size() - 2) / 34 : 0) + " served" +
                    (file.whole ? "" : " (" + file.problem + ")");
        }
      } else {
        const bench::RecordFileCheck file = bench::checkMeasurementFile(target);
        got = file.records;
        if (problem.empty() && (!file.whole || file.records != o.polls)) {
          problem = std::to_string(file.records) + " records of " + std::to_string(o.polls) +
                    (file.whole ? "" : " (" + file.problem + ")");
        }
        // Two polls never read the same values (the flow moves between
        // them): a record equal to the one before was written twice.
        const long doubled = repeatedRecords(target);
        if (problem.empty() && doubled > 0) {
          problem = std::to_string(doubled) + " record(s) written twice";
        }
      }
      if (problem.empty()) {
        ++tally.good;
      } else if (tally.firstProblem.empty()) {
        tally.firstProblem = "run " + std::to_string(run) + ": " + problem;
      }
      std::printf("  %s %ld: unit away %.1f s, %lld records, %s\n", cases[c].name, run, gone, got,
                  problem.empty() ? "ok" : problem.c_str());
      std::fflush(stdout);
    }
    tally.seconds = bench::secondsSince(caseStart);
  }
  const double wall = bench::secondsSince(start);
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);

  std::printf("\n%-10s %5s %5s %-58s %s\n", "command", "runs", "good", "check", "result");
  bool allMet = true;
  for (int c = 0; c < 2; ++c) {
    const Tally& t = tallies[static_cast<std::size_t>(c)];
    const bool met = t.good == t.runs;
    allMet = allMet && met;
    const std::string check = cases[c].download ? "status 0, the file equals what the units served"
                                                : "status 0, the file holds " +
                                                      std::to_string(o.polls) + " whole records";
    std::printf("%-10s %5ld %5ld %-58s %s\n", cases[c].name, t.runs, t.good, check.c_str(),
                met ? "met" : "NOT met");
  }
  for (int c = 0; c < 2; ++c) {
    const Tally& t = tallies[static_cast<std::size_t>(c)];
    if (!t.firstProblem.empty())
      std::printf("  %s, first problem: %s\n", cases[c].name, t.firstProblem.c_str());
  }
  std::printf(
      "\nreconnect         %s\n",
      o.reconnect > 0 ? ("--reconnect " + std::to_string(o.reconnect)).c_str() : "not passed");
  std::printf("duration          %.1f s (record %.1f s, download %.1f s)\n", wall,
              tallies[0].seconds, tallies[1].seconds);
  return allMet ? 0 : 1;
}
