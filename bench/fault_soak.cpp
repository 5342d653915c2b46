// SPDX-License-Identifier: GPL-3.0-or-later
// Fault soak through the sessions, as the screens and flowdesk-cli drive
// them: the measurement screen's polling and recording (MeasurementSession),
// the logger viewer's download (LoggerViewerSession) and the calibration
// sheet's TRANSFERT of every configuration (ConfigurationSession), each
// against flowdesk-unit at 9600 baud spoiling replies with every fault kind
// (drop, crc, short, long, exception, late, pause) on 10 % of the requests.
// What must hold:
//   - no value reaches the device image that the unit did not serve: every
//     frame a poll accepted is one the unit's trace shows it sent for that
//     request, and the image holds exactly what the accepted frames decode
//     to (a failed poll leaves the values as they were);
//   - the recording holds one record per good poll, each that poll's frames;
//   - the downloaded logger file equals, byte for byte, a fault-free download
//     of the same unit made just before;
//   - an upload reported done left every configuration as the file says, and
//     one reported failed names only configurations that were written (read
//     back after each upload from the unit's saved state by a fault-free unit).
//
//   bench_fault_soak [--polls N] [--records N] [--uploads N] [--percent P] [--seed N]
//                    [--unit PATH]
//
// Defaults: 2,000 polls, 5,000 logger records, 20 uploads; 0 leaves a part
// out. --percent sets the share of each kind (default 10: with the seven
// kinds about half the requests are spoiled, and a TRANSFERT of 18
// configurations seldom goes through whole). Prints a table of the checks
// and ends with status 1 when one fails.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "SoakSupport.h"
#include "config/CalibrationFile.h"
#include "config/ConfigurationSession.h"
#include "link/AppContext.h"
#include "link/BlockMaps.h"
#include "link/BlockTransfer.h"
#include "link/Blocks.h"
#include "link/FieldMap.h"
#include "logger/LoggerRecord.h"
#include "logger/LoggerViewerSession.h"
#include "measure/MeasurementFile.h"
#include "measure/MeasurementSession.h"

namespace {

using namespace flowdesk;
using Steady = std::chrono::steady_clock;

struct Options {
  long polls = 2000;
  long records = 5000;
  long uploads = 20;
  std::uint32_t seed = 1;
  double percent = bench::kFaultPercent;
  std::string unit;
};

bool parse(int argc, char** argv, Options& o) {
  const bool good =
      bench::parseNamedValues(argc, argv, [&o](const std::string& a, const std::string& v, long n) {
        char* end = nullptr;
        if (a == "--polls" && n >= 0 && n <= 1000000) {
          o.polls = n;
        } else if (a == "--records" && n >= 0 && n <= 65000) {
          o.records = n;
        } else if (a == "--uploads" && n >= 0 && n <= 10000) {
          o.uploads = n;
        } else if (a == "--seed" && n >= 0) {
          o.seed = static_cast<std::uint32_t>(n);
        } else if (a == "--percent") {
          o.percent = std::strtod(v.c_str(), &end);
          return *end == '\0' && o.percent >= 0 && o.percent <= 100;
        } else if (a == "--unit") {
          o.unit = v;
        } else {
          return false;
        }
        return true;
      });
  if (!good || (o.records == 0 && o.polls == 0 && o.uploads == 0)) return false;
  o.unit = bench::buildProgram(o.unit, "FLOWDESK_UNIT_BIN", "flowdesk-unit");
  return true;
}

// The table printed at the end: one row per property.
struct Check {
  std::string part;
  std::string what;
  std::string found;
  bool met = false;
};

struct Report {
  std::vector<Check> checks;
  std::vector<std::string> parts;  // one line of figures per part
  void add(const std::string& part, const std::string& what, const std::string& found, bool met) {
    checks.push_back({part, what, found, met});
  }
};

std::string seconds(double s) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", s);
  return text;
}

std::string ratio(long long a, long long b) {
  return std::to_string(a) + " / " + std::to_string(b);
}

// ---------------------------------------------------------------------------
// Measurement

void measurementSoak(const Options& o, const std::string& folder, Report& report) {
  const char* part = "measurement";
  const std::string link = folder + "/measure-unit";
  const std::string traceFile = folder + "/measure-unit.trace";
  const auto start = Steady::now();
  bench::BenchUnit unit(
      o.unit, link,
      {"--trace", "--seed", std::to_string(o.seed), "--faults", bench::percentRules(o.percent)},
      traceFile);
  if (!unit.started()) {
    report.add(part, "flowdesk-unit started", "no", false);
    return;
  }
  DeviceImage image;
  AppContext app(systemClock(), image);
  bench::useUnitAt9600(app, link);
  MeasurementSession session(app, RegionalSettings{});
  session.openLive();
  const std::string recording = folder + "/soak.mes";
  session.startRecording(recording);

  // What the image must hold after each tick: the accepted frames decoded.
  DeviceImage expected;
  const MeasurementMaps expectedMaps(expected);
  std::vector<MeasurementRecord> good;
  std::array<std::set<Bytes>, kFrameCount> accepted;
  long failed = 0, imageMismatches = 0;
  std::string writeProblem;
  for (long i = 1; i <= o.polls; ++i) {
    const MeasurementTick t = session.tick();
    if (t == MeasurementTick::kRecordFailed) {
      writeProblem = session.fileResult().message();
      break;
    }
    if (t == MeasurementTick::kRefreshed) good.push_back(session.frames());
    if (t == MeasurementTick::kPollFailed) ++failed;
    const MeasurementRecord& frames = session.frames();
    for (std::size_t k = 0; k < kFrameCount; ++k) {
      if (!frames.frames[k].empty()) accepted[k].insert(frames.frames[k]);
    }
    expected.measurement = MeasurementRegion{};
    decodeMeasurementRecord(frames, expectedMaps);
    if (!(expected.measurement == image.measurement)) ++imageMismatches;
    if (i % 250 == 0) {
      std::printf("  measurement: %ld/%ld polls, %ld failed, %s\n", i, o.polls, failed,
                  seconds(bench::secondsSince(start)).c_str());
      std::fflush(stdout);
    }
  }
  session.close();
  unit.stop();
  const double wall = bench::secondsSince(start);

  // The unit's account of the frames it sent for each block's request.
  const bench::UnitTrace trace = bench::readUnitTrace(traceFile);
  std::map<std::uint16_t, std::set<Bytes>> served;
  for (const bench::ServedReply& r : trace.replies) {
    if (!bench::keepsBytes(r.fault) || r.request.size() < 6 || r.request[1] != 3) continue;
    served[static_cast<std::uint16_t>(r.request[2] << 8 | r.request[3])].insert(r.reply);
  }
  const std::array<std::uint16_t, kFrameCount> firstRegister{
      kS2Block.firstRegister, kS1Block.firstRegister, kM1Block.firstRegister,
      kM2Block.firstRegister};
  long checked = 0, notServed = 0;
  for (std::size_t k = 0; k < kFrameCount; ++k) {
    for (const Bytes& frame : accepted[k]) {
      ++checked;
      if (served[firstRegister[k]].count(frame) == 0) ++notServed;
    }
  }

  // The recording against the good polls.
  const bench::RecordFileCheck file = bench::checkMeasurementFile(recording);
  long equal = 0;
  MeasurementFileReader reader;
  if (reader.open(recording).ok()) {
    MeasurementRecord record;
    for (long long i = 0; i < reader.info().recordCount && i < static_cast<long long>(good.size());
         ++i) {
      if (reader.readRecord(i, record).ok() &&
          record.frames == good[static_cast<std::size_t>(i)].frames) {
        ++equal;
      }
    }
  }
  const auto goodCount = static_cast<long long>(good.size());

  report.parts.push_back(std::string(part) + ": " + std::to_string(o.polls) + " polls, " +
                         std::to_string(goodCount) + " good, " + std::to_string(failed) +
                         " failed; " + std::to_string(trace.faultCount) + " faults injected (" +
                         bench::faultSummary(trace.faults) + "); " + seconds(wall));
  report.add(part, "accepted frames the unit did not send for that block",
             ratio(notServed, checked), notServed == 0 && writeProblem.empty());
  report.add(part, "ticks whose image is not the accepted frames decoded",
             std::to_string(imageMismatches), imageMismatches == 0);
  report.add(part, "records in the recording / good polls",
             ratio(file.records, goodCount) + (file.whole ? "" : " (" + file.problem + ")") +
                 (writeProblem.empty() ? "" : " (" + writeProblem + ")"),
             file.whole && file.records == goodCount && writeProblem.empty());
  report.add(part, "records equal to their poll's frames", ratio(equal, goodCount),
             equal == goodCount);
}

// ---------------------------------------------------------------------------
// Logger

struct DownloadRun {
  bool ok = false;
  std::string problem;
  long opens = 0;
  long failedFetches = 0;
  long longestRun = 0;  // fetches failed in a row
  long long records = 0;
};

// The viewer opened on the unit (again, as an operator would, when it could
// not open), its first page, then SAVEDISK and the timer's ticks until the
// logger's data ends.
DownloadRun downloadLogger(AppContext& app, const std::string& path) {
  constexpr long kGiveUp = 1000;  // in a row: the unit is gone, not faulty
  DownloadRun run;
  LoggerViewerSession session(app, RegionalSettings{});
  while (!session.openUnit()) {
    if (++run.opens >= kGiveUp) {
      run.problem = "the viewer never opened";
      return run;
    }
  }
  ++run.opens;
  long inARow = 0;
  const auto counted = [&](LoggerTick t) {
    if (t != LoggerTick::kFetchFailed) {
      inARow = 0;
      return true;
    }
    ++run.failedFetches;
    run.longestRun = std::max(run.longestRun, ++inARow);
    return inARow < kGiveUp;
  };
  while (session.timerMs() != LoggerViewerSession::kTimerStopped) {
    if (!counted(session.tick())) {
      run.problem = "the first page never came";
      return run;
    }
  }
  if (!session.startDownload(path)) {
    run.problem = "SAVEDISK was refused";
    return run;
  }
  while (session.recording() != Recording::kOff) {
    const LoggerTick t = session.tick();
    if (t == LoggerTick::kDownloadFailed) {
      run.problem = session.downloadResult().message();
      return run;
    }
    if (!counted(t)) {
      run.problem = "the unit stopped answering";
      return run;
    }
  }
  run.records = session.recordsDownloaded();
  run.ok = true;
  return run;
}

void loggerSoak(const Options& o, const std::string& folder, Report& report) {
  const char* part = "logger";
  const std::string link = folder + "/logger-unit";
  const std::string traceFile = folder + "/logger-unit.trace";
  const long perRequest = loggerRecordsPerRequest(kLoggerRecordSize4);
  const long downloadRequests = o.records / perRequest + 1;
  // The fault-free part: the identification's reads, the viewer's three, its
  // first page and the download, with room to spare; the lists then cover
  // ten times what the download needs.
  const long pageRequests = (LoggerViewerSession::kRowsPerPage + perRequest - 1) / perRequest;
  const long faultsFrom = 3 + 3 + pageRequests + downloadRequests + 40;
  const long faultsTo = faultsFrom + 10 * (downloadRequests + pageRequests + 50);
  const std::string records = std::to_string(o.records);
  const std::string rules = bench::listedRules(faultsFrom, faultsTo, o.seed, o.percent);
  if (bench::plannedFaults(rules, o.seed, 1).empty()) {
    report.add(part, "fault lists the unit takes", "refused", false);
    return;
  }
  const auto start = Steady::now();
  bench::BenchUnit unit(o.unit, link,
                        {"--configs", "18", "--logger-size", records, "--logger-records", records,
                         "--trace", "--faults", rules},
                        traceFile);
  if (!unit.started()) {
    report.add(part, "flowdesk-unit started", "no", false);
    return;
  }
  DeviceImage image;
  AppContext app(systemClock(), image);
  bench::useUnitAt9600(app, link);

  const std::string reference = folder + "/reference.log";
  const DownloadRun clean = downloadLogger(app, reference);
  const double cleanSeconds = bench::secondsSince(start);
  bench::UnitTrace trace = bench::readUnitTrace(traceFile);
  if (!clean.ok || clean.failedFetches > 0 || clean.opens > 1 || trace.faultCount > 0 ||
      trace.requests >= faultsFrom) {
    report.add(part, "fault-free reference download",
               clean.ok ? std::to_string(trace.requests) + " requests, " +
                              std::to_string(clean.failedFetches) + " failed fetches"
                        : clean.problem,
               false);
    return;
  }
  std::printf("  logger: fault-free reference, %lld records in %s\n", clean.records,
              seconds(cleanSeconds).c_str());
  std::fflush(stdout);
  // Up to the first listed request with reads that change nothing.
  while (trace.requests < faultsFrom - 1) {
    for (long n = trace.requests; n < faultsFrom - 1; ++n) {
      std::uint16_t word = 0;
      if (!readWord(app.master, kModelWordBlock.firstRegister, word).ok()) {
        report.add(part, "requests lined up with the fault lists", "a read failed", false);
        return;
      }
    }
    trace = bench::readUnitTrace(traceFile);
  }

  const auto faultStart = Steady::now();
  const std::string faulted = folder + "/faulted.log";
  const DownloadRun run = downloadLogger(app, faulted);
  const double faultedSeconds = bench::secondsSince(faultStart);
  unit.stop();
  trace = bench::readUnitTrace(traceFile);

  const Bytes want = bench::fileBytes(reference);
  const Bytes got = bench::fileBytes(faulted);
  std::string found = run.ok ? std::to_string(got.size()) + " bytes" : run.problem;
  if (run.ok && got != want) {
    std::size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
    found = std::to_string(got.size()) + " bytes against " + std::to_string(want.size()) +
            ", first difference at byte " + std::to_string(at);
  }
  report.parts.push_back(
      std::string(part) + ": " + std::to_string(o.records) + " records, " +
      std::to_string(clean.records) + " downloaded fault-free in " + seconds(cleanSeconds) + ", " +
      std::to_string(run.records) + " under faults in " + seconds(faultedSeconds) + " (" +
      std::to_string(run.failedFetches) + " fetches failed, at most " +
      std::to_string(run.longestRun) + " in a row; " + std::to_string(run.opens) +
      " opening(s)); " + std::to_string(trace.faultCount) + " faults injected (" +
      bench::faultSummary(trace.faults) + ")");
  report.add(part, "downloaded file equal to the fault-free one", found,
             run.ok && got == want && !want.empty());
  report.add(
      part, "faults injected on every request after the reference",
      "requests " + std::to_string(trace.firstFaultRequest) + " to " +
          std::to_string(trace.requests) + ", lists up to " + std::to_string(faultsTo),
      (trace.firstFaultRequest == 0 ? o.percent == 0 : trace.firstFaultRequest >= faultsFrom) &&
          trace.requests <= faultsTo);
}

// ---------------------------------------------------------------------------
// Uploads

// Calibration file number `i`, every one different (pipe diameter and flow
// range), so that a configuration left over from an earlier upload never
// passes for this one. Returns the block the sheet sends for it: the file's
// block decoded over the defaults and encoded again.
Bytes writeUploadFile(const std::string& path, long i, FileResult& result) {
  DeviceImage scratch;
  const FieldMap map = configurationMap(scratch);
  CalibrationFile file = defaultCalibrationFile({});
  decodeOverDefaults(map, file.block.data(), file.block.size());
  scratch.configuration.diameter = 100.0f + static_cast<float>(i % 5000);
  scratch.configuration.minimumFlow = static_cast<float>(i % 50);
  scratch.configuration.maximumFlow = 100.0f + static_cast<float>(i % 5000);
  std::array<std::uint8_t, kRequestDataSize> area{};
  encodeRequest(map, area.data());
  file.block.assign(area.begin(), area.begin() + kConfigurationBytes);
  result = writeCalibrationFile(path, file);

  DeviceImage sheet;
  const FieldMap sheetMap = configurationMap(sheet);
  decodeOverDefaults(sheetMap, file.block.data(), file.block.size());
  encodeRequest(sheetMap, area.data());
  return Bytes(area.begin(), area.begin() + kConfigurationBytes);
}

// Every configuration of a fault-free unit started on a copy of `state`,
// read as the sheet reads them.
bool readBack(const std::string& program, const std::string& folder, const std::string& state,
              std::vector<Bytes>& blocks, std::string& problem) {
  const std::string copy = folder + "/readback.state";
  std::error_code ec;
  std::filesystem::remove(copy, ec);
  if (std::filesystem::exists(state)) std::filesystem::copy_file(state, copy, ec);
  const std::string link = folder + "/readback-unit";
  bench::BenchUnit unit(program, link, {"--configs", "18", "--state", copy});
  if (!unit.started()) {
    problem = "the read-back unit did not start";
    return false;
  }
  DeviceImage image;
  AppContext app(systemClock(), image);
  bench::useUnitAt9600(app, link);
  ConfigurationSession session(app);
  if (!session.openUnit().ok) {
    problem = "the read-back unit did not answer";
    return false;
  }
  blocks.assign(1, session.lastBlock());
  for (int k = 1; k < session.configurationCount(); ++k) {
    if (!session.selectRead(k).ok) {
      problem = "configuration " + std::to_string(k) + " was not read back";
      return false;
    }
    blocks.push_back(session.lastBlock());
  }
  return true;
}

void uploadSoak(const Options& o, const std::string& folder, Report& report) {
  const char* part = "uploads";
  const std::string link = folder + "/upload-unit";
  const std::string state = folder + "/upload-unit.state";
  const std::string traceFile = folder + "/upload-unit.trace";
  const auto start = Steady::now();
  bench::BenchUnit unit(o.unit, link,
                        {"--configs", "18", "--state", state, "--trace", "--seed",
                         std::to_string(o.seed + 1), "--faults", bench::percentRules(o.percent)},
                        traceFile);
  if (!unit.started()) {
    report.add(part, "flowdesk-unit started", "no", false);
    return;
  }
  DeviceImage image;
  AppContext app(systemClock(), image);
  bench::useUnitAt9600(app, link);
  long done = 0, failed = 0, doneButDiffer = 0, claimedButDiffer = 0, written = 0;
  long failedButAllWritten = 0;
  double readBackSeconds = 0;
  for (long i = 0; i < o.uploads; ++i) {
    const std::string path = folder + "/upload-" + std::to_string(i) + ".eta";
    FileResult made;
    const Bytes sent = writeUploadFile(path, i, made);
    if (!made.ok()) {
      report.add(part, "calibration file written", made.message(), false);
      return;
    }
    // flowdesk-cli upload FILE.eta --config all, step by step.
    ConfigurationSession session(app);
    const OpenOutcome open = session.openFile(path);
    if (!open.file.ok()) {
      report.add(part, "calibration file read", open.file.message(), false);
      return;
    }
    UploadOutcome up;
    up.ok = false;
    if (open.unitAnswered) {
      session.selectWrite(session.configurationCount());
      up = session.upload();
    }
    const auto readStart = Steady::now();
    std::vector<Bytes> blocks;
    std::string problem;
    if (!readBack(o.unit, folder, state, blocks, problem)) {
      report.add(part, "configurations read back", problem, false);
      return;
    }
    readBackSeconds += bench::secondsSince(readStart);
    const long matching = std::count(blocks.begin(), blocks.end(), sent);
    const auto all = static_cast<long>(blocks.size());
    long claimedWrong = 0;
    for (int k : up.configurationsWritten) {
      if (k < 0 || k >= all || blocks[static_cast<std::size_t>(k)] != sent) ++claimedWrong;
    }
    claimedButDiffer += claimedWrong;
    written += static_cast<long>(up.configurationsWritten.size());
    if (up.ok) {
      ++done;
      if (matching != all) ++doneButDiffer;
    } else {
      ++failed;
      if (matching == all) ++failedButAllWritten;
    }
    std::printf("  upload %ld: %s, %zu configuration(s) said written, %ld/%ld as the file%s\n",
                i + 1, up.ok ? "done" : (open.unitAnswered ? "failed" : "failed (no model word)"),
                up.configurationsWritten.size(), matching, all,
                claimedWrong > 0 ? " (A WRONG CLAIM)" : "");
    std::fflush(stdout);
  }
  unit.stop();
  const bench::UnitTrace trace = bench::readUnitTrace(traceFile);
  report.parts.push_back(
      std::string(part) + ": " + std::to_string(o.uploads) + " TRANSFERT of all configurations, " +
      std::to_string(done) + " reported done, " + std::to_string(failed) + " reported failed (" +
      std::to_string(failedButAllWritten) + " of them had all written), " +
      std::to_string(written) + " configurations said written; " +
      std::to_string(trace.faultCount) + " faults injected (" + bench::faultSummary(trace.faults) +
      "); " + seconds(bench::secondsSince(start)) + " (" + seconds(readBackSeconds) +
      " of read-back)");
  report.add(part, "reported done, but a configuration differs from the file",
             ratio(doneButDiffer, done), doneButDiffer == 0);
  report.add(part, "said written, but differs from the file", ratio(claimedButDiffer, written),
             claimedButDiffer == 0);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: bench_fault_soak [--polls N] [--records N] [--uploads N] [--percent P] "
                 "[--seed N] [--unit PATH]\n");
    return 2;
  }
  const std::string folder = bench::scratchFolder("flowdesk-faultsoak");
  if (folder.empty()) return 2;
  std::printf("fault soak: flowdesk-unit at 9600 baud, faults \"%s\" (seed %u)\n",
              bench::percentRules(options.percent).c_str(), options.seed);
  std::fflush(stdout);

  Report report;
  const auto start = Steady::now();
  if (options.polls > 0) measurementSoak(options, folder, report);
  if (options.records > 0) loggerSoak(options, folder, report);
  if (options.uploads > 0) uploadSoak(options, folder, report);
  const double wall = bench::secondsSince(start);

  std::error_code ec;
  std::filesystem::remove_all(folder, ec);

  std::printf("\n");
  for (const std::string& line : report.parts) std::printf("%s\n", line.c_str());
  std::printf("\n%-12s %-56s %-42s %s\n", "part", "property", "found", "result");
  bool allMet = true;
  for (const Check& c : report.checks) {
    std::printf("%-12s %-56s %-42s %s\n", c.part.c_str(), c.what.c_str(), c.found.c_str(),
                c.met ? "met" : "NOT met");
    allMet = allMet && c.met;
  }
  std::printf("\nduration     %s\n", seconds(wall).c_str());
  return allMet ? 0 : 1;
}
