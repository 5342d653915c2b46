#pragma once
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "base/BinaryFile.h"
#include "base/RegionalFormat.h"
#include "cli/Cli.h"
#include "cli/CliOptions.h"
#include "link/AppContext.h"

namespace flowdesk {

// Exit status of flowdesk-cli.
inline constexpr int kExitDone = 0;
inline constexpr int kExitUnit = 1;   // the unit did not answer, or refused
inline constexpr int kExitUsage = 2;  // bad usage, or a file that cannot be read or written

// What a command works with: the program's shared objects, the options, the
// two output streams, and what it asks to be kept in the saved settings.
struct CliSession {
  AppContext& app;
  const CliOptions& options;
  std::vector<std::string> args;  // the command's own words and options
  std::ostream& out;
  std::ostream& err;
  int language = 0;
  // The operator's date, time and decimal conventions for what a command
  // shows or writes: the desktop's, read as the GUI reads them.
  RegionalSettings regional;

  // Set by a command that found the unit: Com, Jbus and Bauds are saved.
  bool keepLinkSettings = false;

  // The environment's PNG writer for echo pictures (empty in a build or a
  // test without one).
  std::function<FileResult(const std::string& path, const EchoImage& image)> writeEchoPicture{};

  // One line on standard error, "flowdesk-cli: " first; returns `code`.
  int fail(int code, const std::string& text) const;
  int usage(const std::string& text) const { return fail(kExitUsage, text); }
  int fileFailure(const FileResult& result) const {
    return fail(kExitUsage, result.message(language));
  }
  // French or English, as the run's language says.
  const char* text(const char* french, const char* english) const {
    return language == 0 ? french : english;
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
  const char* usage;    // e.g. "new FILE.eta|FILE.rus|FILE.nvd|FILE.csp540"
  const char* summary;  // what it does, in English
  int (*run)(CliSession& session);
};

// The commands, in the order --help lists them.
const std::vector<CliCommand>& cliCommands();

// The commands themselves.
int runDetect(CliSession& session);
int runNew(CliSession& session);
int runShow(CliSession& session);
int runRecord(CliSession& session);
int runDownload(CliSession& session);
int runConvert(CliSession& session);
int runSave(CliSession& session);
int runUpload(CliSession& session);
int runCompare(CliSession& session);
int runLoggerConfig(CliSession& session);
int runEcho(CliSession& session);
int runInit(CliSession& session);

}  // namespace flowdesk
