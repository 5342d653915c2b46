// SPDX-License-Identifier: GPL-3.0-or-later
#include <string>

#include "cli/CliSession.h"
#include "files/FileKinds.h"
#include "logger/LoggerViewerSession.h"

namespace flowdesk {

namespace {

// The screen retries a silent unit for as long as it is open; a command
// gives up after this many failed fetches in a row.
constexpr int kFetchesInARow = 10;
// The highest page --page takes.
constexpr long kMaxPage = 65535;

// Ticks until the page is complete; false when the unit stopped answering.
bool tickToPage(LoggerViewerSession& session) {
  int failed = 0;
  while (session.timerMs() != LoggerViewerSession::kTimerStopped) {
    const LoggerTick t = session.tick();
    failed = t == LoggerTick::kFetchFailed ? failed + 1 : 0;
    if (failed >= kFetchesInARow) return false;
  }
  return true;
}

}  // namespace

int runDownload(CliSession& s) {
  CommandArgs args({{"--page", true}, {"--reconnect", true}});
  if (const auto refused = s.readArgs(args)) return *refused;
  if (args.positional().size() != 1) return s.wantsOneFile("download");
  const std::string& path = args.positional().front();
  const FileKindInfo* kind = fileKindOfPath(path);
  if (kind == nullptr || kind->kind != FileKind::kLogger) {
    return s.usage(s.text(kTxtCliDownloadWrites) + path);
  }
  long page = 0;
  if (auto given = args.value("--page")) {
    auto n = parseWholeNumber(*given, 0, kMaxPage);
    if (!n) return s.wantsNumber("--page", 0, kMaxPage);
    page = *n;
  }
  const std::optional<long> reconnect = reconnectSeconds(args);
  if (!reconnect) return s.usage(reconnectUsage(s.language));
  // The viewer's own sequence: open, show the page, SAVEDISK with the file,
  // then the timer's ticks until the logger's data ends.
  LoggerViewerSession session(s.app, s.regional);
  const auto noAnswer = [&s, &session] {
    return s.fail(kExitUnit, s.text(kTxtCliNoLoggerAnswer), session.lastRead());
  };
  session.setLanguage(s.language);
  if (!session.openUnit() || !tickToPage(session)) return noAnswer();
  if (page > 0) {
    const long long first = page * LoggerViewerSession::kRowsPerPage + 1;
    session.navigate(LoggerNavigation::kGo, std::to_string(first));
    if (!tickToPage(session)) return noAnswer();
  }
  session.startDownload(path);
  int failed = 0;
  int returns = 0;  // of the device, for the fetch under way
  for (;;) {
    const LoggerTick t = session.tick();
    if (t == LoggerTick::kDownloadFailed) {
      s.err << "\n";
      return s.fileFailure(session.downloadResult());
    }
    if (t == LoggerTick::kDownloadEnded) break;
    const std::string kept =
        std::to_string(session.recordsDownloaded()) + s.text(kTxtCliRecordsIn) + path;
    failed = t == LoggerTick::kFetchFailed ? failed + 1 : 0;
    if (failed == 0) returns = 0;
    if (failed > 0) {
      // The fetch that failed is asked again: after an unplug, once the
      // device is back, the file goes on with no record lost or doubled.
      const CliSession::DeviceWait device = s.awaitDevice(*reconnect, session.lastRead());
      if (device == CliSession::DeviceWait::kBack && ++returns < CliSession::kReturnsPerRequest) {
        failed = 0;
      }
      if (device == CliSession::DeviceWait::kLost) {
        session.stopDownload();
        s.err << "flowdesk-cli: " << kept << "\n";
        return kExitNoUnit;
      }
    }
    if (failed >= kFetchesInARow) {
      session.stopDownload();
      s.err << "\n";
      return s.fail(kExitUnit, kept + "; " + s.text(kTxtCliStoppedAnswering), session.lastRead());
    }
    if (t == LoggerTick::kDownloading) {
      const LoggerDownloadView& d = session.download();
      // Drawn over itself on a terminal.
      s.err << "\r" << d.recordsDone << "/" << d.recordsToDo << "  " << d.remaining << "   "
            << std::flush;
    }
  }
  s.err << "\n";
  s.out << session.recordsDownloaded() << s.text(kTxtCliRecordsIn) << path << "\n";
  return kExitDone;
}

}  // namespace flowdesk
