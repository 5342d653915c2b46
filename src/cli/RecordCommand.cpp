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
  if (const auto refused = s.readArgs(args)) return *refused;
  if (args.positional().size() != 1) return s.wantsOneFile("record");
  const std::string& path = args.positional().front();
  const FileKindInfo* kind = fileKindOfPath(path);
  if (kind == nullptr || kind->kind != FileKind::kMeasurement) {
    return s.usage(s.text(kTxtCliRecordWrites) + path);
  }
  long polls = 1;
  if (auto given = args.value("--polls")) {
    auto n = parseWholeNumber(*given, 1, kMaxPolls);
    if (!n) return s.wantsNumber("--polls", 1, kMaxPolls);
    polls = *n;
  }
  const std::optional<long> reconnect = reconnectSeconds(args);
  if (!reconnect) return s.usage(reconnectUsage(s.language));

  // The screen's own sequence: open, SAVEDISK with the file, then one timer
  // tick per poll.
  MeasurementSession session(s.app, s.regional);
  session.setLanguage(s.language);
  session.openLive();
  session.startRecording(path);
  long failed = 0;
  int returns = 0;  // of the device, for the poll under way
  for (long i = 1; i <= polls; ++i) {
    const MeasurementTick tick = session.tick();
    if (tick == MeasurementTick::kRecordFailed) return s.fileFailure(session.fileResult());
    if (tick == MeasurementTick::kPollFailed) {
      // A poll lost to an unplugged device is polled again once it is back:
      // only a unit that did not answer counts against the polls.
      const CliSession::DeviceWait device = s.awaitDevice(*reconnect, session.lastRead());
      if (device == CliSession::DeviceWait::kLost) return kExitNoUnit;
      if (device == CliSession::DeviceWait::kBack && ++returns < CliSession::kReturnsPerRequest) {
        --i;
        continue;
      }
      ++failed;
    }
    returns = 0;
    s.err << i << "/" << polls << " " << session.screen().secondLine << "\n";
  }
  if (failed > 0) {
    const std::string records =
        session.recordCount() == 0
            ? std::string(s.text(kTxtCliNoRecordWritten))
            : std::to_string(session.recordCount()) + s.text(kTxtCliRecordsIn) + path;
    return s.fail(failed == polls ? kExitNoUnit : kExitUnit,
                  std::to_string(failed) + "/" + std::to_string(polls) + " " +
                      s.text(kTxtCliPollsUnanswered) + "; " + records,
                  session.lastRead());
  }
  s.out << path << "\n";
  return kExitDone;
}

}  // namespace flowdesk
