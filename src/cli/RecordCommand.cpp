// SPDX-License-Identifier: GPL-3.0-or-later
#include <string>

#include "cli/CliSession.h"
#include "files/FileKinds.h"
#include "measure/MeasurementSession.h"

namespace flowdesk {

namespace {

constexpr long kMaxPolls = 1000000;

}  // namespace

int runRecord(CliSession& s) {
  CommandArgs args({{"--polls", true}, {"--reconnect", true}});
  if (std::string problem = args.parse(s.args); !problem.empty()) return s.usage(problem);
  if (args.positional().size() != 1) return s.usage("record wants one file name");
  const std::string& path = args.positional().front();
  const FileKindInfo* kind = fileKindOfPath(path);
  if (kind == nullptr || kind->kind != FileKind::Measurement) {
    return s.usage(
        std::string(s.text("record écrit un fichier .mes: ", "record writes a .mes file: ")) +
        path);
  }
  long polls = 1;
  if (auto given = args.value("--polls")) {
    auto n = parseWholeNumber(*given, 1, kMaxPolls);
    if (!n) return s.usage("--polls wants a number from 1 to " + std::to_string(kMaxPolls));
    polls = *n;
  }
  const std::optional<long> reconnect = reconnectSeconds(args);
  if (!reconnect) return s.usage(kReconnectUsage);

  // The screen's own sequence: open, SAVEDISK with the file, then one timer
  // tick per poll.
  MeasurementSession session(s.app, s.regional);
  session.setLanguage(s.language);
  session.openLive();
  session.startRecording(path);
  long failed = 0;
  for (long i = 1; i <= polls; ++i) {
    const MeasurementTick tick = session.tick();
    if (tick == MeasurementTick::kRecordFailed) return s.fileFailure(session.fileResult());
    if (tick == MeasurementTick::kPollFailed) {
      // A poll lost to an unplugged device is polled again once it is back:
      // only a unit that did not answer counts against the polls.
      const CliSession::DeviceWait device = s.awaitDevice(*reconnect, session.lastRead());
      if (device == CliSession::DeviceWait::kLost) return kExitNoUnit;
      if (device == CliSession::DeviceWait::kBack) {
        --i;
        continue;
      }
      ++failed;
    }
    s.err << i << "/" << polls << " " << session.screen().secondLine << "\n";
  }
  if (failed > 0) {
    const std::string records =
        session.recordCount() == 0
            ? std::string(s.text("aucun enregistrement écrit", "no record written"))
            : std::to_string(session.recordCount()) +
                  s.text(" enregistrement(s) dans ", " record(s) in ") + path;
    return s.fail(
        failed == polls ? kExitNoUnit : kExitUnit,
        std::to_string(failed) + "/" + std::to_string(polls) + " " +
            s.text("interrogations sans réponse de l'unité", "polls the unit did not answer") +
            "; " + records,
        session.lastRead());
  }
  s.out << path << "\n";
  return kExitDone;
}

}  // namespace flowdesk
