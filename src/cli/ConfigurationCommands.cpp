// save calibration, upload and compare: the calibration sheet's SAVEDISK,
// TRANSFERT and COMPARE, driven through its session; upload of a special
// probe, the special-probe page's TRANSFERT.
#include <algorithm>
#include <optional>
#include <string>

#include "base/FileNames.h"
#include "cli/CliSession.h"
#include "config/ConfigurationSession.h"
#include "config/SpecialProbeSession.h"
#include "files/FileKinds.h"

namespace flowdesk {

namespace {

bool isCalibrationPath(const std::string& path) {
  const FileKindInfo* kind = fileKindOfPath(path);
  return kind != nullptr && kind->kind == FileKind::Calibration;
}

// The sheet opened on the unit, showing configuration --config (default 0).
// Returns an exit status, or nothing when the session is ready.
std::optional<int> openOnUnit(CliSession& s, ConfigurationSession& session,
                              const std::optional<std::string>& config) {
  const OpenOutcome open = session.openUnit();
  if (!open.ok) return s.fail(kExitUnit, oneLine(openText(open, s.language)));
  if (!config) return std::nullopt;
  const auto n = parseWholeNumber(*config, 0, session.configurationCount() - 1);
  if (!n) {
    return s.usage("--config wants a number from 0 to " +
                   std::to_string(session.configurationCount() - 1));
  }
  const ReadOutcome read = session.selectRead(static_cast<int>(*n));
  if (!read.ok) return s.fail(kExitUnit, readText(read, s.language));
  return std::nullopt;
}

// The special-probe page's TRANSFERT: the file's probe into SP1 (the page's
// own choice when it opens), SP2, or both.
int uploadSpecialProbe(CliSession& s, const std::string& path, bool sp1, bool sp2) {
  SpecialProbeSession session(s.app);
  const FileResult file = session.open(path);
  if (!file.ok()) return s.fileFailure(file);
  session.intoSp1 = sp1 || !sp2;
  session.intoSp2 = sp2;
  const SpecialProbeUploadOutcome up = session.upload();
  if (!up.ok) return s.fail(kExitUnit, oneLine(specialProbeUploadText(up, s.language)));
  s.out << session.probe.name << " -> " << (up.intoSp1 ? "SP1" : "")
        << (up.intoSp1 && up.intoSp2 ? ", " : "") << (up.intoSp2 ? "SP2" : "") << "\n";
  return kExitDone;
}

}  // namespace

int runSave(CliSession& s) {
  CommandArgs args({{"--config", true}});
  if (std::string problem = args.parse(s.args); !problem.empty()) return s.usage(problem);
  const auto& words = args.positional();
  if (words.size() != 2 || words[0] != "calibration") {
    return s.usage("save wants: calibration FILE.eta");
  }
  const std::string& path = words[1];
  if (!isCalibrationPath(path)) {
    return s.usage(std::string(s.text("save calibration écrit un fichier .eta: ",
                                      "save calibration writes a .eta file: ")) +
                   path);
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
  if (std::string problem = args.parse(s.args); !problem.empty()) return s.usage(problem);
  if (args.positional().size() != 1) return s.usage("upload wants one file name");
  const std::string& path = args.positional().front();
  const FileKindInfo* kind = fileKindOfPath(path);
  if (kind != nullptr && kind->kind == FileKind::SpecialProbe) {
    for (const char* other : {"--config", "--clock", "--reset"}) {
      if (args.has(other)) return s.usage(std::string(other) + " is for .eta files");
    }
    return uploadSpecialProbe(s, path, args.has("--sp1"), args.has("--sp2"));
  }
  if (!isCalibrationPath(path)) {
    return s.usage(std::string(s.text("upload envoie un fichier .eta ou .csp540: ",
                                      "upload sends a .eta or .csp540 file: ")) +
                   path);
  }
  if (args.has("--sp1") || args.has("--sp2")) {
    return s.usage("--sp1 and --sp2 are for .csp540 files");
  }
  UploadRequests requests;
  requests.setClock = args.has("--clock");
  if (auto resets = args.value("--reset")) {
    std::size_t start = 0;
    while (start <= resets->size()) {
      const std::size_t end = std::min(resets->find(',', start), resets->size());
      const auto n = parseWholeNumber(resets->substr(start, end - start), 1, 3);
      if (!n) return s.usage("--reset wants totalizer numbers 1, 2 or 3, e.g. 1,3");
      requests.resetTotalizer[static_cast<std::size_t>(*n - 1)] = true;
      start = end + 1;
    }
  }

  ConfigurationSession session(s.app);
  const OpenOutcome open = session.openFile(path);
  if (!open.file.ok()) return s.fileFailure(open.file);
  if (!open.unitAnswered) return s.fail(kExitUnit, oneLine(openText(open, s.language)));
  if (auto config = args.value("--config")) {
    const int count = session.configurationCount();
    const auto n =
        *config == "all" ? std::optional<long>(count) : parseWholeNumber(*config, 0, count - 1);
    if (!n) {
      return s.usage("--config wants all or a number from 0 to " + std::to_string(count - 1));
    }
    session.selectWrite(static_cast<int>(*n));
  }
  session.requests = requests;
  const UploadOutcome up = session.upload([&s](const std::string& text) { s.err << text << "\n"; });
  if (!up.ok) return s.fail(kExitUnit, oneLine(uploadText(up, s.language)));
  s.out << uploadText(up, s.language) << "\n";
  return kExitDone;
}

int runCompare(CliSession& s) {
  CommandArgs args({{"--config", true}});
  if (std::string problem = args.parse(s.args); !problem.empty()) return s.usage(problem);
  if (args.positional().size() != 1) return s.usage("compare wants one file name");
  const std::string& path = args.positional().front();
  if (!isCalibrationPath(path)) {
    return s.usage(
        std::string(s.text("compare lit un fichier .eta: ", "compare reads a .eta file: ")) + path);
  }
  ConfigurationSession session(s.app);
  if (auto code = openOnUnit(s, session, args.value("--config"))) return *code;
  // The report goes beside the compared file, where the open prompt would
  // have left LastPathName.
  const ComparisonOutcome out = session.compare(path, lastPathName(path), s.regional);
  if (!out.file.ok()) return s.fileFailure(out.file);
  if (!out.report.ok()) return s.fileFailure(out.report);
  s.out << out.reportPath << "\n";
  return kExitDone;
}

}  // namespace flowdesk
