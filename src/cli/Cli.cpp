// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Cli.h"

#include <algorithm>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

#include "base/BilingualText.h"
#include "base/MemorySettingsStore.h"
#include "base/Texts.h"
#include "base/ValueLists.h"
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
  return parseWholeNumber(*given, 0, kMaxReconnectSeconds);
}

std::string reconnectUsage(Language language) {
  return textWithNumbers(kTxtCliReconnectWants.text(language), {0, kMaxReconnectSeconds});
}

CliSession::DeviceWait CliSession::awaitDevice(long seconds, const LinkResult& failed) const {
  JbusMaster& master = app.master;
  const LinkResult now = portNow(master, failed);
  if (now.ok()) return DeviceWait::kPresent;
  const std::string device = now.device.empty() ? app.devicePath(app.settings.Com) : now.device;
  if (!now.port || now.port->openedBefore.empty()) {
    // Never there in this run: nothing to wait for.
    fail(kExitNoUnit, device + text(kTxtCliCannotBeOpened), failed);
    return DeviceWait::kLost;
  }
  err << "\nflowdesk-cli: " << device << text(kTxtCliDeviceGone) << seconds << " s\n";
  const std::int64_t start = master.clock().nowMs();
  if (awaitPort(master, static_cast<int>(seconds * 1000))) {
    err << "flowdesk-cli: " << device << text(kTxtCliDeviceBack)
        << (master.clock().nowMs() - start + 500) / 1000 << " s\n";
    return DeviceWait::kBack;
  }
  fail(kExitNoUnit, device + text(kTxtCliDeviceNotBack) + std::to_string(seconds) + " s", failed);
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
int runReport(CliSession& session);

const std::vector<CliCommand>& cliCommands() {
  // A new command is its declaration above, one row here and its run
  // function in its own file.
  static const std::vector<CliCommand> commands = {
      {"detect", "detect", kTxtCliAboutDetect, runDetect},
      {"record", "record FILE.mes [--polls N] [--reconnect SECONDS]", kTxtCliAboutRecord,
       runRecord},
      {"download", "download FILE.log [--page P] [--reconnect SECONDS]", kTxtCliAboutDownload,
       runDownload},
      {"convert", "convert IN.mes|IN.log [-o OUT.prn]", kTxtCliAboutConvert, runConvert},
      {"new", "new FILE.eta|FILE.rus|FILE.nvd|FILE.csp540", kTxtCliAboutNew, runNew},
      {"save", "save calibration FILE.eta [--config N] | factory FILE.rus | maker FILE.nvd",
       kTxtCliAboutSave, runSave},
      {"upload",
       "upload FILE.eta [--config N|all] [--clock] [--reset 1,2,3] | FILE.rus | FILE.nvd\n"
       "  upload FILE.csp540 [--sp1] [--sp2]",
       kTxtCliAboutUpload, runUpload},
      {"init", "init [--calibration] [--factory-settings] [--maker-settings]", kTxtCliAboutInit,
       runInit},
      {"compare", "compare FILE.eta [--config N] | FILE.rus", kTxtCliAboutCompare, runCompare},
      {"logger-config",
       "logger-config [--type 4|9] [--period I] [--point N] [--params I,I,...] [--erase]",
       kTxtCliAboutLoggerConfig, runLoggerConfig},
      {"echo", "echo FILE.ech --screen CODE [--images N]", kTxtCliAboutEcho, runEcho},
      {"show", "show FILE [--png DIR]", kTxtCliAboutShow, runShow},
      {"plot",
       "plot FILE.mes|FILE.log -o OUT.png|OUT.svg [--series NAME,...] [--from DATE] [--to DATE]",
       kTxtCliAboutPlot, runPlot},
      {"report",
       "report OUT.pdf [--seconds N] [--limits FILE] [--baseline FILE.json] [--operator NAME]\n"
       "  [--site TEXT] [--tag TEXT] [--no-echo]",
       kTxtCliAboutReport, runReport},
  };
  return commands;
}

std::string cliHelpText(Language language) {
  // The continued usage lines stand under the first option.
  const std::string usage = std::string(kTxtCliUsage.text(language)) + "flowdesk-cli ";
  const std::string under(usage.size(), ' ');
  const std::string rates =
      std::to_string(kBaudTable.front()) + ".." + std::to_string(kBaudTable.back());
  std::ostringstream s;
  s << usage << "[--device PATH | --port 1..4] [--baud " << rates << "] [--address N]\n"
    << under << "[--reply-end length|silence] [--lang fr|en] [--factory]\n"
    << under << "[--maker] [--trace] COMMAND ...\n"
    << kTxtCliHelpIntro.text(language) << "\n"
    << kTxtCliHelpCommands.text(language);
  for (const CliCommand& c : cliCommands()) {
    s << "  " << c.usage << "\n" << wrapped(c.summary.text(language), 6, 80);
  }
  s << "\n"
    << textWithWords(kTxtCliHelpOptions.text(language),
                     {baudRateChoices(kTxtCliLastOf.text(language))})
    << "\n"
    << kTxtCliHelpSettings.text(language) << "\n"
    << kTxtCliHelpExitStatus.text(language);
  return s.str();
}

int runCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
           const CliEnvironment& environment) {
  // The saved settings first: they give the language of everything said,
  // the usage and its complaints included, unless --lang says otherwise.
  MemorySettingsStore unsaved;
  SettingsStore& store = environment.settings ? *environment.settings : unsaved;
  AppSettings loaded;
  loadSettings(store, loaded, environment.env);

  CliOptions options;
  const Language savedLanguage = loaded.language();
  if (std::string problem = parseCliOptions(arguments, options, savedLanguage); !problem.empty()) {
    err << "flowdesk-cli: " << problem
        << kTxtCliListsOptions.text(options.language.value_or(savedLanguage)) << "\n";
    return kExitUsage;
  }
  const Language language = options.language.value_or(savedLanguage);
  if (options.help) {
    out << cliHelpText(language);
    return kExitDone;
  }
  if (options.version) {
    const VersionStrings v = VersionStrings::load().in(language);
    out << "flowdesk-cli " << v.FileVersion << "\n"
        << v.FileDescription << "\n"
        << v.LegalCopyright << "\n";
    return kExitDone;
  }
  if (options.command.empty()) {
    err << "flowdesk-cli: " << kTxtCliNoCommand.text(language)
        << kTxtCliListsCommands.text(language) << "\n";
    return kExitUsage;
  }
  const CliCommand* command = nullptr;
  for (const CliCommand& c : cliCommands()) {
    if (options.command == c.name) command = &c;
  }
  if (command == nullptr) {
    err << "flowdesk-cli: " << kTxtCliUnknownCommand.text(language) << options.command
        << kTxtCliListsCommands.text(language) << "\n";
    return kExitUsage;
  }

  AppContext app(environment.clock ? *environment.clock : systemClock());
  if (environment.portOpener) app.master.setPortOpener(environment.portOpener);
  app.modeFlags.factory = options.factory;
  app.modeFlags.maker = options.maker;
  app.modeFlags.unitTypeSelector =
      environment.env && environment.env(kUnitTypeSelectorVariable).has_value();
  app.settings = loaded;

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

  CliSession session{app, options, options.args, out, err, language, environment.regional};
  session.writeEchoPicture = environment.writeEchoPicture;
  session.writePlot = environment.writePlot;
  session.writeReportPdf = environment.writeReportPdf;
  int code = kExitDone;
  {
    // A command is one operation to anyone else who wants the port: from
    // its first exchange to its last no other program gets in between.
    const PortHold hold = app.master.holdPort();
    code = command->run(session);
  }

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
    err << "flowdesk-cli: " << session.text(kTxtCliSettingsNotSaved);
    if (!environment.settingsFile.empty()) {
      err << session.text(kTxtCliSettingsFile) << environment.settingsFile;
    }
    err << "\n";
  }
  return code;
}

}  // namespace flowdesk
