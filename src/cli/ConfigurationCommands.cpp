// SPDX-License-Identifier: GPL-3.0-or-later
// save, upload and compare: SAVEDISK, TRANSFERT and COMPARE of the
// calibration sheet and of the factory and maker screens, driven through
// their sessions; upload of a special probe, the special-probe page's
// TRANSFERT.
#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "base/FileNames.h"
#include "base/Texts.h"
#include "cli/CliSession.h"
#include "config/ConfigurationSession.h"
#include "config/FactoryFile.h"
#include "config/FactorySession.h"
#include "config/MakerSession.h"
#include "config/SpecialProbeSession.h"
#include "files/FileKinds.h"

namespace flowdesk {

namespace {

bool isCalibrationPath(const std::string& path) {
  const FileKindInfo* kind = fileKindOfPath(path);
  return kind != nullptr && kind->kind == FileKind::kCalibration;
}

std::optional<FileKind> kindOfPath(const std::string& path) {
  const FileKindInfo* kind = fileKindOfPath(path);
  if (kind == nullptr) return std::nullopt;
  return kind->kind;
}

// The factory and maker files, as the menus of each mode offer them.
std::optional<int> refusedByMode(CliSession& s, FileKind kind) {
  if (kind == FileKind::kFactorySettings && !s.app.modeFlags.factory) {
    return s.usage(s.text(kTxtCliRusNeedsFactory));
  }
  if (kind == FileKind::kMakerSettings && !s.app.modeFlags.maker) {
    return s.usage(s.text(kTxtCliNvdNeedsMaker));
  }
  return std::nullopt;
}

std::unique_ptr<SettingsBlockSession> settingsSession(CliSession& s, FileKind kind) {
  if (kind == FileKind::kFactorySettings) return std::make_unique<FactorySession>(s.app);
  return std::make_unique<MakerSession>(s.app);
}

// save factory FILE.rus, save maker FILE.nvd.
int saveSettings(CliSession& s, FileKind kind, const std::string& path) {
  if (auto code = refusedByMode(s, kind)) return *code;
  const std::unique_ptr<SettingsBlockSession> session = settingsSession(s, kind);
  const SettingsOpenOutcome open = session->openUnit();
  if (!open.ok) return s.fail(kExitUnit, oneLine(settingsOpenText(open, s.language)), open.link);
  const FileResult r = session->save(path);
  if (!r.ok()) return s.fileFailure(r);
  s.out << path << "\n";
  return kExitDone;
}

// upload FILE.rus, upload FILE.nvd.
int uploadSettings(CliSession& s, FileKind kind, const std::string& path) {
  if (auto code = refusedByMode(s, kind)) return *code;
  const std::unique_ptr<SettingsBlockSession> session = settingsSession(s, kind);
  const SettingsOpenOutcome open = session->openFile(path);
  if (!open.ok) return s.fileFailure(open.file);
  // A block the file does not hold whole is not sent, nor announced.
  if (const FileResult refused = session->uploadRefusal(); !refused.ok()) {
    return s.fileFailure(refused);
  }
  s.err << s.text(kind == FileKind::kFactorySettings ? kTxtUploadFactorySettings
                                                     : kTxtUploadNorvadineSettings)
        << "\n";
  const SettingsUploadOutcome outcome = session->upload();
  const std::string text = settingsUploadText(outcome, session->title(), s.language);
  if (!outcome.ok) return s.fail(kExitUnit, text, outcome.link);
  s.out << text << "\n";
  return kExitDone;
}

// The sheet opened on the unit, showing configuration --config (default 0).
// Returns an exit status, or nothing when the session is ready.
std::optional<int> openOnUnit(CliSession& s, ConfigurationSession& session,
                              const std::optional<std::string>& config) {
  const OpenOutcome open = session.openUnit();
  if (!open.ok) return s.fail(kExitUnit, oneLine(openText(open, s.language)), open.link);
  if (!config) return std::nullopt;
  const auto n = parseWholeNumber(*config, 0, session.configurationCount() - 1);
  if (!n) return s.wantsNumber("--config", 0, session.configurationCount() - 1);
  const ReadOutcome read = session.selectRead(static_cast<int>(*n));
  if (!read.ok) return s.fail(kExitUnit, oneLine(readText(read, s.language)), read.link);
  return std::nullopt;
}

// The special-probe page's TRANSFERT: the file's probe into SP1 (the page's
// own choice when it opens), SP2, or both.
int uploadSpecialProbe(CliSession& s, const std::string& path, bool sp1, bool sp2) {
  SpecialProbeSession session(s.app);
  const FileResult file = session.open(path);
  if (!file.ok()) return s.fileFailure(file);
  if (const FileResult refused = session.uploadRefusal(); !refused.ok()) {
    return s.fileFailure(refused);
  }
  session.intoSp1 = sp1 || !sp2;
  session.intoSp2 = sp2;
  const SpecialProbeUploadOutcome up = session.upload();
  if (!up.ok) return s.fail(kExitUnit, oneLine(specialProbeUploadText(up, s.language)), up.link);
  s.out << session.probe.name << " -> " << (up.intoSp1 ? "SP1" : "")
        << (up.intoSp1 && up.intoSp2 ? ", " : "") << (up.intoSp2 ? "SP2" : "") << "\n";
  return kExitDone;
}

// The report's path; a file that holds less than a block is said, with the
// fields compared as their defaults, and is no clean comparison.
int comparisonEnd(CliSession& s, const ComparisonOutcome& out) {
  if (!out.file.ok()) return s.fileFailure(out.file);
  if (!out.report.ok()) return s.fileFailure(out.report);
  s.out << out.reportPath << "\n";
  if (out.shortFile()) {
    return s.fail(kExitShortFile,
                  out.comparedPath + ": " + oneLine(shortFileText(out, s.language)));
  }
  return kExitDone;
}

}  // namespace

int runSave(CliSession& s) {
  CommandArgs args({{"--config", true}});
  if (const auto refused = s.readArgs(args)) return *refused;
  const auto& words = args.positional();
  const struct {
    const char* word;
    FileKind kind;
  } kinds[] = {{"calibration", FileKind::kCalibration},
               {"factory", FileKind::kFactorySettings},
               {"maker", FileKind::kMakerSettings}};
  const auto* chosen = words.size() != 2
                           ? std::end(kinds)
                           : std::find_if(std::begin(kinds), std::end(kinds),
                                          [&](const auto& k) { return words[0] == k.word; });
  if (chosen == std::end(kinds)) {
    return s.usage(s.text(kTxtCliSaveWants));
  }
  const std::string& path = words[1];
  if (chosen->kind != FileKind::kCalibration) {
    if (kindOfPath(path) != chosen->kind || args.has("--config")) {
      return s.usage(textWithWords(s.text(kTxtCliSaveWritesKind),
                                   {chosen->word, fileKindInfo(chosen->kind).extension}) +
                     path);
    }
    return saveSettings(s, chosen->kind, path);
  }
  if (!isCalibrationPath(path)) {
    return s.usage(s.text(kTxtCliSaveCalibrationWrites) + path);
  }
  ConfigurationSession session(s.app);
  if (auto code = openOnUnit(s, session, args.value("--config"))) return *code;
  const FileResult r = session.saveCalibration(path);
  if (!r.ok()) return s.fileFailure(r);
  s.out << path << "\n";
  return kExitDone;
}

int runUpload(CliSession& s) {
  CommandArgs args({{"--config", true},
                    {"--clock", false},
                    {"--reset", true},
                    {"--sp1", false},
                    {"--sp2", false}});
  if (const auto refused = s.readArgs(args)) return *refused;
  if (args.positional().size() != 1) return s.wantsOneFile("upload");
  const std::string& path = args.positional().front();
  const std::optional<FileKind> kind = kindOfPath(path);
  const bool toSlots = args.has("--sp1") || args.has("--sp2");
  if (kind == FileKind::kFactorySettings || kind == FileKind::kMakerSettings ||
      kind == FileKind::kSpecialProbe) {
    if (args.has("--config") || args.has("--clock") || args.has("--reset")) {
      return s.usage(s.text(kTxtCliEtaOptionsOnly));
    }
    if (kind == FileKind::kSpecialProbe) {
      return uploadSpecialProbe(s, path, args.has("--sp1"), args.has("--sp2"));
    }
  }
  if (toSlots) {
    return s.usage(s.text(kTxtCliSlotsOnly));
  }
  if (kind == FileKind::kFactorySettings || kind == FileKind::kMakerSettings) {
    return uploadSettings(s, *kind, path);
  }
  if (!isCalibrationPath(path)) {
    return s.usage(s.text(kTxtCliUploadSends) + path);
  }
  UploadRequests requests;
  requests.setClock = args.has("--clock");
  if (auto resets = args.value("--reset")) {
    const auto totalizers = parseNumberList(*resets, 1, 3);
    if (!totalizers) return s.usage(s.text(kTxtCliResetWants));
    for (long n : *totalizers) requests.resetTotalizer[static_cast<std::size_t>(n - 1)] = true;
  }

  ConfigurationSession session(s.app);
  const OpenOutcome open = session.openFile(path);
  if (!open.file.ok()) return s.fileFailure(open.file);
  if (const FileResult refused = session.uploadRefusal(); !refused.ok()) {
    return s.fileFailure(refused);
  }
  if (!open.unitAnswered) {
    return s.fail(kExitUnit, oneLine(openText(open, s.language)), open.link);
  }
  if (auto config = args.value("--config")) {
    const int count = session.configurationCount();
    const auto n =
        *config == "all" ? std::optional<long>(count) : parseWholeNumber(*config, 0, count - 1);
    if (!n) {
      return s.usage("--config" + textWithNumbers(s.text(kTxtCliWantsAllOrNumber), {0, count - 1}));
    }
    session.selectWrite(static_cast<int>(*n));
  }
  session.requests = requests;
  const UploadOutcome up = session.upload([&s](const std::string& text) { s.err << text << "\n"; });
  if (!up.ok) return s.fail(kExitUnit, oneLine(uploadText(up, s.language)), up.link);
  s.out << uploadText(up, s.language) << "\n";
  return kExitDone;
}

int runCompare(CliSession& s) {
  CommandArgs args({{"--config", true}});
  if (const auto refused = s.readArgs(args)) return *refused;
  if (args.positional().size() != 1) return s.wantsOneFile("compare");
  const std::string& path = args.positional().front();
  if (kindOfPath(path) == FileKind::kFactorySettings) {
    if (args.has("--config")) return s.usage(s.text(kTxtCliConfigGoesWithEta));
    if (auto code = refusedByMode(s, FileKind::kFactorySettings)) return *code;
    // A file that cannot be compared is said before the unit is asked.
    FactoryFile file;
    if (const FileResult r = readFactoryFile(path, file); !r.ok()) return s.fileFailure(r);
    FactorySession session(s.app);
    const SettingsOpenOutcome open = session.openUnit();
    if (!open.ok) {
      return s.fail(kExitUnit, oneLine(settingsOpenText(open, s.language)), open.link);
    }
    return comparisonEnd(s, session.compare(path, lastPathName(path), s.regional));
  }
  if (!isCalibrationPath(path)) {
    return s.usage(s.text(kTxtCliCompareReads) + path);
  }
  ConfigurationSession session(s.app);
  if (auto code = openOnUnit(s, session, args.value("--config"))) return *code;
  // The report goes beside the compared file, where the open prompt would
  // have left LastPathName.
  return comparisonEnd(s, session.compare(path, lastPathName(path), s.regional));
}

}  // namespace flowdesk
