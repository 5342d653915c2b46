// SPDX-License-Identifier: GPL-3.0-or-later
// Kill soak of flowdesk-cli's writers: record, download, save of each
// parameter kind (calibration, factory with --factory, maker with --maker)
// and convert, each killed with SIGKILL at a random moment of its run, N
// times (default 30), against flowdesk-unit at 9600 baud.
// Every other kill falls in the last fifth of a whole run's time, where the
// file is written. After each kill:
//   - a recording or a logger file holds its header and whole records only,
//     every record decoding (no file at all is fine: killed before it began);
//   - a parameter file and a conversion's output are the old file or the new
//     one, byte for byte;
//   - the same command then runs to its end (the next write of the folder),
//     after which no hidden temporary (".NAME.XXXXXX") is left in the folder.
//
//   bench_kill_soak [--kills N] [--seed N] [--unit PATH] [--cli PATH]
//
// The programs are looked up beside the build's benchmarks unless named
// (or FLOWDESK_UNIT_BIN, FLOWDESK_CLI_BIN). Prints a table; status 1 when a
// check fails.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "SoakSupport.h"
#include "config/CalibrationFile.h"
#include "config/FactoryFile.h"
#include "config/MakerFile.h"
#include "link/BlockMaps.h"
#include "link/FieldMap.h"

namespace {

using namespace flowdesk;
using Steady = std::chrono::steady_clock;

struct Options {
  long kills = 30;
  std::uint32_t seed = 1;
  std::string unit;
  std::string cli;
};

bool parse(int argc, char** argv, Options& o) {
  const bool good =
      bench::parseNamedValues(argc, argv, [&o](const std::string& a, const std::string& v, long n) {
        if (a == "--kills" && n >= 1 && n <= 100000) {
          o.kills = n;
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

enum class Check { kMeasurementRecords, kLoggerRecords, kOldOrNew };

struct Writer {
  std::string name;
  std::vector<std::string> args;  // after the link options
  std::string target;             // in the work folder
  Check check;
  std::vector<std::string> oldArgs;  // writes the old file at `target` (kOldOrNew)
};

struct Tally {
  long kills = 0;
  long landed = 0;  // the command still ran when it was killed
  long intact = 0;
  long nextWritesFailed = 0;
  long strayAfter = 0;  // next writes that left a temporary behind
  std::string firstProblem;
};

// A measurement file of `records` records: the header and the records of a
// real recording, the records repeated.
bool makeMeasurementInput(const std::string& from, const std::string& to, long records) {
  MeasurementFileReader reader;
  if (!reader.open(from).ok() || reader.info().recordCount < 1) return false;
  const Bytes all = bench::fileBytes(from);
  const auto offset = static_cast<std::size_t>(reader.info().dataOffset);
  const std::size_t size = reader.info().recordSize;
  const auto have = static_cast<long>(reader.info().recordCount);
  Bytes out(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(offset));
  out.reserve(offset + static_cast<std::size_t>(records) * size);
  for (long i = 0; i < records; ++i) {
    const auto at = all.begin() + static_cast<std::ptrdiff_t>(offset + (i % have) * size);
    out.insert(out.end(), at, at + static_cast<std::ptrdiff_t>(size));
  }
  return bench::writeBytes(to, out);
}

// A calibration, a factory and a maker file each one field away from the
// files of defaults, for the unit to take: a save must then write a file
// that differs from the old one, which `new` writes.
bool writeChangedFiles(const std::string& folder) {
  DeviceImage image;
  std::array<std::uint8_t, kRequestDataSize> area{};
  const auto encoded = [&](const FieldMap& map, std::size_t size) {
    encodeRequest(map, area.data());
    return Bytes(area.begin(), area.begin() + static_cast<std::ptrdiff_t>(size));
  };
  CalibrationFile eta = defaultCalibrationFile({});
  const FieldMap configuration = configurationMap(image);
  decodeOverDefaults(configuration, eta.block.data(), eta.block.size());
  image.configuration.diameter += 50.0f;
  eta.block = encoded(configuration, kConfigurationBytes);
  FactoryFile rus = defaultFactoryFile();
  const FieldMap factory = factoryMap(image);
  decodeOverDefaults(factory, rus.block.data(), rus.block.size());
  image.factory.contrast = image.factory.contrast == 40.0f ? 60.0f : 40.0f;
  rus.block = encoded(factory, kFactoryBytes);
  MakerFile nvd = defaultMakerFile();
  const FieldMap maker = makerMap(image);
  decodeOverDefaults(maker, nvd.block.data(), nvd.block.size());
  image.maker.serialThird += 7.0f;
  nvd.block = encoded(maker, kMakerBytes);
  return writeCalibrationFile(folder + "/changed.eta", eta).ok() &&
         writeFactoryFile(folder + "/changed.rus", rus).ok() &&
         writeMakerFile(folder + "/changed.nvd", nvd).ok();
}

void removeStrays(const std::string& folder) {
  for (const std::string& name : bench::strayTemporaries(folder)) {
    std::error_code ec;
    std::filesystem::remove(folder + "/" + name, ec);
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!parse(argc, argv, o)) {
    std::fprintf(stderr,
                 "usage: bench_kill_soak [--kills N] [--seed N] [--unit PATH] [--cli PATH]\n");
    return 2;
  }
  const std::string folder = bench::scratchFolder("flowdesk-killsoak");
  if (folder.empty()) return 2;
  const std::string work = folder + "/work";  // where the commands write
  const std::string home = folder + "/home";  // settings, output, inputs
  std::filesystem::create_directories(work);
  std::filesystem::create_directories(home);
  const std::string link = folder + "/unit";
  bench::BenchUnit unit(o.unit, link,
                        {"--configs", "18", "--logger-size", "120", "--logger-records", "120"});
  if (!unit.started()) {
    std::fprintf(stderr, "bench_kill_soak: %s did not start\n", o.unit.c_str());
    return 2;
  }
  const std::vector<std::string> linkArgs{"--device",  link, "--baud", "9600",
                                          "--address", "1",  "--lang", "en"};
  const auto cli = [&](std::vector<std::string> args) {
    args.insert(args.begin(), linkArgs.begin(), linkArgs.end());
    return args;
  };
  const auto start = Steady::now();

  // The inputs of the conversion, made from a real recording.
  if (bench::runCli(o.cli, home, home, cli({"record", "source.mes", "--polls", "5"})) != 0 ||
      !makeMeasurementInput(home + "/source.mes", home + "/big.mes", 60000) ||
      !makeMeasurementInput(home + "/source.mes", home + "/small.mes", 3)) {
    std::fprintf(stderr, "bench_kill_soak: no recording to convert: %s\n",
                 bench::cliReason(home).c_str());
    return 2;
  }

  // The unit's settings away from the defaults, through the program's own
  // uploads.
  if (!writeChangedFiles(home)) {
    std::fprintf(stderr, "bench_kill_soak: the changed settings files were not written\n");
    return 2;
  }
  for (const std::vector<std::string>& upload :
       {std::vector<std::string>{"upload", home + "/changed.eta", "--config", "0"},
        std::vector<std::string>{"--factory", "upload", home + "/changed.rus"},
        std::vector<std::string>{"--maker", "upload", home + "/changed.nvd"}}) {
    if (bench::runCli(o.cli, home, home, cli(upload)) != 0) {
      std::fprintf(stderr, "bench_kill_soak: %s %s failed: %s\n", upload[0].c_str(),
                   upload[1].c_str(), bench::cliReason(home).c_str());
      return 2;
    }
  }

  std::vector<Writer> writers{
      {"record",
       {"record", "soak.mes", "--polls", "8"},
       "soak.mes",
       Check::kMeasurementRecords,
       {}},
      {"download", {"download", "soak.log"}, "soak.log", Check::kLoggerRecords, {}},
      {"save calibration",
       {"save", "calibration", "soak.eta"},
       "soak.eta",
       Check::kOldOrNew,
       {"new", "soak.eta"}},
      {"save factory",
       {"--factory", "save", "factory", "soak.rus"},
       "soak.rus",
       Check::kOldOrNew,
       {"--factory", "new", "soak.rus"}},
      {"save maker",
       {"--maker", "save", "maker", "soak.nvd"},
       "soak.nvd",
       Check::kOldOrNew,
       {"--maker", "new", "soak.nvd"}},
      {"convert",
       {"convert", home + "/big.mes", "-o", "soak.prn"},
       "soak.prn",
       Check::kOldOrNew,
       {"convert", home + "/small.mes", "-o", "soak.prn"}},
  };

  std::mt19937 random(o.seed);
  std::vector<Tally> tallies(writers.size());
  std::vector<std::string> notes;
  for (std::size_t w = 0; w < writers.size(); ++w) {
    const Writer& writer = writers[w];
    Tally& tally = tallies[w];
    const std::string target = work + "/" + writer.target;
    const auto fail = [&](long run, const std::string& what) {
      if (tally.firstProblem.empty())
        tally.firstProblem = "kill " + std::to_string(run) + ": " + what;
    };
    // The old and the new file, and how long a whole run takes.
    Bytes oldBytes, newBytes;
    if (writer.check == Check::kOldOrNew) {
      std::error_code ec;
      std::filesystem::remove(target, ec);
      if (bench::runCli(o.cli, work, home, cli(writer.oldArgs)) != 0) {
        std::fprintf(stderr, "bench_kill_soak: %s: the old file was not made: %s\n",
                     writer.name.c_str(), bench::cliReason(home).c_str());
        return 2;
      }
      oldBytes = bench::fileBytes(target);
    }
    const auto runStart = Steady::now();
    if (bench::runCli(o.cli, work, home, cli(writer.args)) != 0) {
      std::fprintf(stderr, "bench_kill_soak: %s failed: %s\n", writer.name.c_str(),
                   bench::cliReason(home).c_str());
      return 2;
    }
    const double whole = bench::secondsSince(runStart);
    newBytes = bench::fileBytes(target);
    if (writer.check == Check::kOldOrNew && oldBytes == newBytes && !oldBytes.empty()) {
      // A save of a unit still at its defaults writes the file `new` wrote:
      // the old file then differs in its last byte, so a mix still shows.
      oldBytes.back() ^= 0xFF;
      notes.push_back(writer.name + ": the old file is the new one with its last byte changed");
    }
    std::printf("%-17s a whole run takes %.2f s; killing %ld times\n", writer.name.c_str(), whole,
                o.kills);
    std::fflush(stdout);
    removeStrays(work);

    // Every other kill in the last fifth of a run's time, where the file is
    // written: uniform over the whole run, most kills would land while the
    // command still waits for the unit.
    std::uniform_real_distribution<double> anyMoment(0.0, whole);
    std::uniform_real_distribution<double> lateMoment(0.8 * whole, 1.05 * whole);
    for (long run = 1; run <= o.kills; ++run) {
      if (writer.check == Check::kOldOrNew) bench::writeBytes(target, oldBytes);
      ++tally.kills;
      {
        bench::CliChild child(o.cli, work, home, cli(writer.args));
        bench::sleepSeconds(run % 2 == 1 ? anyMoment(random) : lateMoment(random));
        if (child.kill(SIGKILL)) ++tally.landed;
      }
      bool intact = false;
      std::string problem;
      if (writer.check == Check::kOldOrNew) {
        const Bytes now = bench::fileBytes(target);
        intact = bench::fileSize(target) >= 0 && (now == oldBytes || now == newBytes);
        if (!intact) {
          problem = std::to_string(bench::fileSize(target)) + " bytes, neither the old file (" +
                    std::to_string(oldBytes.size()) + ") nor the new (" +
                    std::to_string(newBytes.size()) + ")";
        }
      } else {
        const bench::RecordFileCheck c = writer.check == Check::kMeasurementRecords
                                             ? bench::checkMeasurementFile(target)
                                             : bench::checkLoggerFile(target);
        intact = !c.exists || c.whole;
        problem = c.problem;
      }
      if (intact) {
        ++tally.intact;
      } else {
        fail(run, problem);
      }
      // The next write of the folder, to its end.
      if (bench::runCli(o.cli, work, home, cli(writer.args)) != 0) {
        ++tally.nextWritesFailed;
        fail(run, "the next run failed: " + bench::cliReason(home));
      } else if (writer.check == Check::kOldOrNew && bench::fileBytes(target) != newBytes) {
        ++tally.nextWritesFailed;
        fail(run, "the next run wrote another file");
      }
      const std::vector<std::string> strays = bench::strayTemporaries(work);
      if (!strays.empty()) {
        ++tally.strayAfter;
        fail(run, "left " + strays.front());
        removeStrays(work);
      }
    }
    std::printf("%-17s %ld kills, %ld landed while it ran, %ld intact, %ld left a temporary\n",
                writer.name.c_str(), tally.kills, tally.landed, tally.intact, tally.strayAfter);
    std::fflush(stdout);
  }
  unit.stop();
  const double wall = bench::secondsSince(start);
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);

  std::printf("\n%-17s %6s %7s %-22s %-18s %-16s %s\n", "command", "kills", "landed",
              "file after the kill", "next run failed", "temporary left", "result");
  bool allMet = true;
  for (std::size_t w = 0; w < writers.size(); ++w) {
    const Tally& t = tallies[w];
    const bool met = t.intact == t.kills && t.nextWritesFailed == 0 && t.strayAfter == 0;
    allMet = allMet && met;
    const std::string intact = std::to_string(t.intact) + "/" + std::to_string(t.kills) +
                               (writers[w].check == Check::kOldOrNew ? " old or new" : " whole");
    std::printf("%-17s %6ld %7ld %-22s %-18ld %-16ld %s\n", writers[w].name.c_str(), t.kills,
                t.landed, intact.c_str(), t.nextWritesFailed, t.strayAfter,
                met ? "met" : "NOT met");
  }
  for (std::size_t w = 0; w < writers.size(); ++w) {
    if (!tallies[w].firstProblem.empty()) {
      std::printf("  %s, first problem: %s\n", writers[w].name.c_str(),
                  tallies[w].firstProblem.c_str());
    }
  }
  for (const std::string& note : notes) std::printf("  note: %s\n", note.c_str());
  std::printf("\nduration          %.1f s\n", wall);
  return allMet ? 0 : 1;
}
