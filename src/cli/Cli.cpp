// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Cli.h"

#include <algorithm>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

#include "base/BilingualText.h"
#include "base/MemorySettingsStore.h"
#include "cli/CliOptions.h"
#include "cli/CliSession.h"
#include "link/AppContext.h"
#include "link/ConnectionSession.h"
#include "link/FrameTrace.h"
#include "link/PortFailure.h"
#include "link/PortReturn.h"

namespace flowdesk {

namespace {

// A text cut into lines of at most `width` columns, each indented.
std::string wrapped(const std::string& text, std::size_t indent, std::size_t width) {
  std::istringstream words(text);
  std::string word;
  std::string out;
  std::string line;
  while (words >> word) {
    if (!line.empty() && indent + line.size() + 1 + word.size() > width) {
      out += std::string(indent, ' ') + line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  if (!line.empty()) out += std::string(indent, ' ') + line + "\n";
  return out;
}

}  // namespace

std::string oneLine(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    if (end > start) lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    if (i > 0) {
      // A line that ends on a colon introduces the next (a command to
      // type); a heading is followed by ": ", a sentence by "; ".
      const std::string& before = lines[i - 1];
      out += before.ends_with(':') ? " " : (i == 1 && !before.ends_with('.')) ? ": " : "; ";
    }
    // A full stop before the joiner reads as noise; the last one stays.
    if (i + 1 < lines.size() && line.ends_with('.')) line.remove_suffix(1);
    out += line;
  }
  return out;
}

int CliSession::fail(int code, const std::string& text) const {
  err << "flowdesk-cli: " << text << "\n";
  return code;
}

int CliSession::fail(int code, const std::string& text, const LinkResult& cause) const {
  if (code == kExitUnit && cause.fault == ReplyFault::kPortFailed) code = kExitNoUnit;
  if ((code != kExitUnit && code != kExitNoUnit) || cause.ok()) return fail(code, text);
  // What the line said on that exchange: no answer, a bad CRC, the unit's
  // exception code... or, when the port could not even be opened, why
  // (missing, unplugged, refused, busy), which a session's own words may
  // have said already.
  std::string reason = linkResultText(cause, language, ResultWording::kFault);
  if (cause.port) {
    // Its first line, without the full stop a one-line report drops.
    std::string told = linkResultText(cause, language, ResultWording::kLine);
    if (told.ends_with('.')) told.pop_back();
    reason = text.find(told) == std::string::npos
                 ? reportLine(linkResultText(cause, language, ResultWording::kFull))
                 : std::string();
  }
  if (reason.ends_with('.')) reason.pop_back();  // the bracket ends the line
  return fail(code, reason.empty() ? text : text + " (" + reason + ")");
}

std::optional<long> reconnectSeconds(const CommandArgs& args) {
  const auto given = args.value("--reconnect");
  if (!given) return kDefaultReconnectSeconds;
  return parseWholeNumber(*given, 0, 3600);
}

CliSession::DeviceWait CliSession::awaitDevice(long seconds, const LinkResult& failed) const {
  JbusMaster& master = app.master;
  const LinkResult now = portNow(master, failed);
  if (now.ok()) return DeviceWait::kPresent;
  const std::string device = now.device.empty() ? app.devicePath(app.settings.Com) : now.device;
  if (!now.port || now.port->openedBefore.empty()) {
    // Never there in this run: nothing to wait for.
    fail(kExitNoUnit, device + text(" ne s'ouvre pas", " cannot be opened"), failed);
    return DeviceWait::kLost;
  }
  err << "\nflowdesk-cli: " << device
      << text(" a disparu (adaptateur débranché ?) : nouvel essai pendant ",
              " is gone (adapter unplugged?): trying again for up to ")
      << seconds << " s\n";
  const std::int64_t start = master.clock().nowMs();
  if (awaitPort(master, static_cast<int>(seconds * 1000))) {
    err << "flowdesk-cli: " << device << text(" est revenu après ", " is back after ")
        << (master.clock().nowMs() - start + 500) / 1000 << " s\n";
    return DeviceWait::kBack;
  }
  fail(kExitNoUnit,
       device + text(" n'est pas revenu dans les ", " did not come back within ") +
           std::to_string(seconds) + " s",
       failed);
  return DeviceWait::kLost;
}

// The commands themselves, each in its own <Name>Command.cpp.
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
int runPlot(CliSession& session);

const std::vector<CliCommand>& cliCommands() {
  // A new command is its declaration above, one row here and its run
  // function in its own file.
  static const std::vector<CliCommand> commands = {
      {"detect", "detect",
       "scan as the Connect button does: Com1 to Com3 at the six rates (with --device: that "
       "device alone, six rates); prints Com<n> <baud> <address> <device>",
       runDetect},
      {"record", "record FILE.mes [--polls N] [--reconnect SECONDS]",
       "poll the measurement blocks N times (default 1), recording each good poll; a device "
       "that goes away is waited for SECONDS (default 30) and the polls go on when it is back",
       runRecord},
      {"download", "download FILE.log [--page P] [--reconnect SECONDS]",
       "logger download as SAVEDISK does from page P of the viewer (default 0); progress on "
       "standard error; a device that goes away is waited for SECONDS (default 30) and the "
       "download goes on where it was",
       runDownload},
      {"convert", "convert IN.mes|IN.log [-o OUT.prn]",
       "spreadsheet text of a measurement or logger file (default name: IN's name without its "
       "dots, "
       "with .prn); no spreadsheet is started",
       runConvert},
      {"new", "new FILE.eta|FILE.rus|FILE.nvd|FILE.csp540",
       "a file of defaults at exactly that path (.rus needs --factory, .nvd and .csp540 "
       "--maker)",
       runNew},
      {"save", "save calibration FILE.eta [--config N] | factory FILE.rus | maker FILE.nvd",
       "read configuration N (default 0), the factory settings (--factory) or the maker "
       "settings (--maker) from the unit and save them as a file of that kind",
       runSave},
      {"upload",
       "upload FILE.eta [--config N|all] [--clock] [--reset 1,2,3] | FILE.rus | FILE.nvd\n"
       "  upload FILE.csp540 [--sp1] [--sp2]",
       "TRANSFERT: set the clock, reset totalizers, then write the file to configuration N "
       "(default 0) or to all of them; a .rus (--factory) or .nvd (--maker) file is written "
       "to the unit's factory or maker settings; a special probe goes into the unit's slot SP1 "
       "(the default), SP2 or both, the unit's other factory settings sent back unchanged",
       runUpload},
      {"init", "init [--calibration] [--factory-settings] [--maker-settings]",
       "return the unit to its defaults (needs --maker): set the clock, write the groups named "
       "from their defaults, reset the three totalizers and, on a unit with a logger, erase it "
       "and reset its settings",
       runInit},
      {"compare", "compare FILE.eta [--config N] | FILE.rus",
       "compare configuration N (default 0), or the factory settings (--factory), with the "
       "file; writes the deviation report beside the file and prints its path",
       runCompare},
      {"logger-config",
       "logger-config [--type 4|9] [--period I] [--point N] [--params I,I,...] "
       "[--erase]",
       "show the logger settings, its size and how long it lasts; with options, change them "
       "and write them (--erase first erases the logger, and is needed to change the type)",
       runLoggerConfig},
      {"echo", "echo FILE.ech --screen CODE [--images N]",
       "show echo screen CODE (as the Ecran list numbers them) and record N complete pictures "
       "(default 1); the echo screen is stopped at the end",
       runEcho},
      {"show", "show FILE [--png DIR]",
       "every file kind decoded as readable text; for a .ech file, --png also writes each "
       "picture to DIR as a 128 x 64 PNG",
       runShow},
      {"plot",
       "plot FILE.mes|FILE.log -o OUT.png|OUT.svg [--series NAME,...] [--from DATE] [--to DATE]",
       "the records of a measurement or logger file as curves over time, a 1600 x 900 PNG or "
       "an SVG as the plot window draws them; --series names the curves to draw (as the plot "
       "window lists them, e.g. Flow,Speed), --from and --to (YYYY-MM-DD [HH:MM[:SS]]) limit "
       "the time",
       runPlot},
  };
  return commands;
}

std::string cliHelpText() {
  std::ostringstream s;
  s << "Usage: flowdesk-cli [--device PATH | --port 1..4] [--baud 300..9600] [--address N]\n"
       "                    [--reply-end length|silence] [--lang fr|en] [--factory]\n"
       "                    [--maker] [--trace] COMMAND ...\n"
       "Talks to the flowmeter over its serial line, and reads and writes its files.\n"
       "\n"
       "Commands:\n";
  for (const CliCommand& c : cliCommands()) {
    s << "  " << c.usage << "\n" << wrapped(c.summary, 6, 80);
  }
  s << "\n"
       "Options (anywhere on the line):\n"
       "  --device PATH   use this device for the port (this run only); a device\n"
       "                  server is tcp://HOST:PORT (raw bytes, the server's rate)\n"
       "                  or rfc2217://HOST:PORT (the rate is set as on a local port)\n"
       "  --port 1..4     the port, Com1 to Com4\n"
       "  --baud RATE     300, 600, 1200, 2400, 4800 or 9600\n"
       "  --address N     the unit's Jbus address, 0 to 255\n"
       "  --reply-end length|silence\n"
       "                  a reply ends on its last byte once its length is known, or\n"
       "                  (the default) after the silence that follows it\n"
       "  --lang fr|en    language of messages and list texts\n"
       "  --factory       factory-settings files and commands\n"
       "  --maker         maker files and commands (includes --factory)\n"
       "  --trace         every frame in hexadecimal on standard error\n"
       "                  (also FLOWDESK_TRACE=1)\n"
       "  --              the end of the options: what follows are names, even\n"
       "                  those that start with a dash (show -- -x.eta)\n"
       "  --help          this text\n"
       "  --version       the program's version\n"
       "\n"
       "The link options default to the saved settings, the same file as flowdesk's\n"
       "($XDG_CONFIG_HOME/flowdesk/flowdesk.ini); they apply to this run only. A detect\n"
       "without --device saves the port, rate and address it found, and the probe\n"
       "catalogue read from a unit is saved as flowdesk saves it.\n"
       "\n"
       "Exit status, for every command (with one line on standard error unless 0):\n"
       "  0  done\n"
       "  1  the unit did not answer or refused; record: some polls went unanswered\n"
       "  2  bad usage, or a file that cannot be read or written\n"
       "  3  no unit at all: the device is missing, refused, busy or not a serial line,\n"
       "     or went away and did not come back in time; record: no poll was answered\n";
  return s.str();
}

int runCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
           const CliEnvironment& environment) {
  CliOptions options;
  if (std::string problem = parseCliOptions(arguments, options); !problem.empty()) {
    err << "flowdesk-cli: " << problem << " (flowdesk-cli --help lists the options)\n";
    return kExitUsage;
  }
  if (options.help) {
    out << cliHelpText();
    return kExitDone;
  }
  if (options.version) {
    // The command line speaks English.
    const VersionStrings v = VersionStrings::load().in(kEnglish);
    out << "flowdesk-cli " << v.FileVersion << "\n"
        << v.FileDescription << "\n"
        << v.LegalCopyright << "\n";
    return kExitDone;
  }
  if (options.command.empty()) {
    err << "flowdesk-cli: no command given (flowdesk-cli --help lists them)\n";
    return kExitUsage;
  }
  const CliCommand* command = nullptr;
  for (const CliCommand& c : cliCommands()) {
    if (options.command == c.name) command = &c;
  }
  if (command == nullptr) {
    err << "flowdesk-cli: unknown command " << options.command
        << " (flowdesk-cli --help lists them)\n";
    return kExitUsage;
  }

  AppContext app(environment.clock ? *environment.clock : systemClock());
  if (environment.portOpener) app.master.setPortOpener(environment.portOpener);
  app.modeFlags.factory = options.factory;
  app.modeFlags.maker = options.maker;
  app.modeFlags.unitTypeSelector =
      environment.env && environment.env(kUnitTypeSelectorVariable).has_value();

  MemorySettingsStore unsaved;
  SettingsStore& store = environment.settings ? *environment.settings : unsaved;
  loadSettings(store, app.settings, environment.env);
  const AppSettings loaded = app.settings;

  // This run's link: the options win over the saved settings, for this run.
  AppSettings& s = app.settings;
  if (options.port) s.Com = *options.port - 1;
  if (options.baudIndex) s.Bauds = *options.baudIndex;
  if (options.address) s.Jbus = static_cast<float>(*options.address);
  if (options.language) s.Language = languageIndex(*options.language);
  if (options.replyEnd) s.ReplyEnd = *options.replyEnd;
  if (options.device) {
    if (s.Com < 0 || s.Com >= kPortCount) s.Com = 0;
    app.deviceOverride[static_cast<std::size_t>(s.Com)] = *options.device;
  }
  if (options.trace) frameTrace().setEnabled(true);

  CliSession session{app, options, options.args, out, err, s.language(), environment.regional};
  session.writeEchoPicture = environment.writeEchoPicture;
  session.writePlot = environment.writePlot;
  const int code = command->run(session);

  // Only what the run learned is kept: never the options of this run.
  AppSettings keep = loaded;
  bool changed = false;
  if (code == kExitDone && session.keepLinkSettings) {
    keep.Com = s.Com;
    keep.Jbus = s.Jbus;
    keep.Bauds = s.Bauds;
    changed = true;
  }
  if (app.master.identified()) {
    static_cast<IdentificationCache&>(keep) = static_cast<const IdentificationCache&>(s);
    changed = true;
  }
  if (changed && !saveSettings(store, keep)) {
    err << "flowdesk-cli: " << session.text("réglages non enregistrés", "settings not saved");
    if (!environment.settingsFile.empty()) {
      err << session.text(" dans ", " to ") << environment.settingsFile;
    }
    err << "\n";
  }
  return code;
}

}  // namespace flowdesk
