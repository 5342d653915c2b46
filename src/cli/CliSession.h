// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "base/BinaryFile.h"
#include "base/RegionalFormat.h"
#include "base/Texts.h"
#include "cli/Cli.h"
#include "cli/CliOptions.h"
#include "link/AppContext.h"

namespace flowdesk {

// Exit status of flowdesk-cli.
inline constexpr int kExitDone = 0;
inline constexpr int kExitUnit = 1;  // the unit did not answer, or refused
// compare: the file holds less than a block, its missing fields compared as
// their defaults (the report is written all the same).
inline constexpr int kExitShortFile = 1;
inline constexpr int kExitUsage = 2;  // bad usage, or a file that cannot be read or written
// No unit at all: the device could not be used (missing, refused, busy, not
// a serial line, or gone and not back in time), or not one poll answered.
inline constexpr int kExitNoUnit = 3;

// How long record and download wait for a device that went away, unless
// --reconnect says otherwise.
inline constexpr long kDefaultReconnectSeconds = 30;

// What a command works with: the program's shared objects, the options, the
// two output streams, and what it asks to be kept in the saved settings.
struct CliSession {
  AppContext& app;
  const CliOptions& options;
  std::vector<std::string> args;  // the command's own words and options
  std::ostream& out;
  std::ostream& err;
  Language language = kFrench;
  // The operator's date, time and decimal conventions for what a command
  // shows or writes: the desktop's, read as the GUI reads them.
  RegionalSettings regional;

  // Set by a command that found the unit: Com, Jbus and Bauds are saved.
  bool keepLinkSettings = false;

  // The environment's PNG writer for echo pictures (empty in a build or a
  // test without one).
  std::function<FileResult(const std::string& path, const EchoImage& image)> writeEchoPicture{};
  // The environment's plot image writer (empty in a build or a test without
  // one).
  PlotImageWriter writePlot{};
  // The environment's report PDF writer (empty in a test without one).
  ReportPdfWriter writeReportPdf{};

  // One line on standard error, "flowdesk-cli: " first; returns `code`.
  int fail(int code, const std::string& text) const;
  // The same for a unit that failed (kExitUnit, kExitNoUnit), with what its
  // last exchange `cause` lacked in brackets (no answer, a bad CRC, the
  // unit's exception, or why the port could not be opened, unless `text`
  // says it already); a port that could not be opened makes it kExitNoUnit.
  int fail(int code, const std::string& text, const LinkResult& cause) const;
  // After the failed exchange `failed` of a long job: when the device itself
  // has gone, waits up to `seconds` for it to come back, saying so on
  // standard error. kLost has had its message; the job ends with kExitNoUnit.
  enum class DeviceWait { kPresent, kBack, kLost };
  DeviceWait awaitDevice(long seconds, const LinkResult& failed) const;
  // How many times one request is asked again after its device went and
  // came back. A device that is back at once and gone again at the request
  // (a server that accepts and closes, an adapter that drops out at every
  // exchange) would otherwise hold the job for ever; past this the request
  // fails as one the unit did not answer.
  static constexpr int kReturnsPerRequest = 3;
  int usage(const std::string& text) const { return fail(kExitUsage, text); }
  int fileFailure(const FileResult& result) const {
    return fail(kExitUsage, result.message(language));
  }
  // French or English, as the run's language says.
  const char* text(const BilingualText& pair) const { return pair.text(language); }
  // The command's own words and options read into `args`: nothing, or the
  // usage failure when they are not what it takes.
  std::optional<int> readArgs(CommandArgs& args) const {
    const std::string problem = args.parse(this->args, language);
    if (problem.empty()) return std::nullopt;
    return usage(problem);
  }
  // "OPTION wants a number from MIN to MAX", as a usage failure.
  int wantsNumber(const std::string& option, long long min, long long max) const {
    return usage(option + textWithNumbers(text(kTxtCliWantsNumber), {min, max}));
  }
  // "COMMAND wants one file name", as a usage failure.
  int wantsOneFile(const std::string& command) const {
    return usage(command + text(kTxtCliWantsOneFile));
  }
};

// A report of several lines on the one line a terminal message gets: the
// first line, ": " (or "; " after a sentence), then the others joined with
// "; " (or a space after a line that ends on a colon), full stops dropped
// but the last.
std::string oneLine(const std::string& text);

// A command of the table: its name, the line of --help, and what runs it.
struct CliCommand {
  const char* name;
  const char* usage;      // e.g. "new FILE.eta|FILE.rus|FILE.nvd|FILE.csp540"
  BilingualText summary;  // what it does
  int (*run)(CliSession& session);
};

// The commands, in the order --help lists them.
const std::vector<CliCommand>& cliCommands();

// --reconnect SECONDS of record and download (0 to kMaxReconnectSeconds,
// default kDefaultReconnectSeconds); nothing when the value is not one, for
// which reconnectUsage says what it wants.
inline constexpr long kMaxReconnectSeconds = 3600;
std::optional<long> reconnectSeconds(const CommandArgs& args);
std::string reconnectUsage(Language language);

}  // namespace flowdesk
