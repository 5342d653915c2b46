// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdint>
#include <optional>
#include <string>

#include "base/Texts.h"
#include "cli/CliSession.h"
#include "echo/EchoSession.h"
#include "files/FileKinds.h"
#include "link/ConnectionSession.h"
#include "link/PortFailure.h"

namespace flowdesk {

namespace {

constexpr long kMaxImages = 100000;
// A step that fails this many ticks in a row (three attempts each) means the
// unit has gone: the pictures written so far stay.
constexpr int kFailuresInARow = 3;

// The echo screen is stopped as the screen's close box stops it. A stop that
// did not get through turns the run into a failure that says so, whatever
// else it was going to report.
int stopEchoScreen(CliSession& s, EchoSession& session, int code, std::string text) {
  session.requestClose();
  session.tick();
  if (!session.stopFailed()) {
    if (code == kExitDone) return code;
    return code == kExitUnit ? s.fail(code, text, session.lastRead()) : s.usage(text);
  }
  return s.fail(kExitUnit, (text.empty() ? "" : text + "; ") + stopFailedText(s.language),
                session.lastRead());
}

}  // namespace

int runEcho(CliSession& s) {
  CommandArgs args({{"--screen", true}, {"--images", true}});
  if (const auto refused = s.readArgs(args)) return *refused;
  if (args.positional().size() != 1) return s.wantsOneFile("echo");
  const std::string& path = args.positional().front();
  const FileKindInfo* kind = fileKindOfPath(path);
  if (kind == nullptr || kind->kind != FileKind::kEcho) {
    return s.usage(s.text(kTxtCliEchoWrites) + path);
  }
  const auto screenText = args.value("--screen");
  if (!screenText) return s.usage(s.text(kTxtCliEchoWantsScreen));
  const auto code = parseWholeNumber(*screenText, 1, 255);
  if (!code) return s.usage(s.text(kTxtCliScreenWants));
  long images = 1;
  if (auto given = args.value("--images")) {
    auto n = parseWholeNumber(*given, 1, kMaxImages);
    if (!n) return s.wantsNumber("--images", 1, kMaxImages);
    images = *n;
  }

  // The screen's own sequence: open (block S1 gives the screens), choose the
  // screen, SAVEDISK with the file, then one timer tick per exchange.
  EchoSession session(s.app);
  session.setLanguage(s.language);
  if (session.openLive() != 0) {
    // Only a unit that was asked can be said not to answer.
    const LinkResult& read = session.lastRead();
    return s.fail(kExitUnit,
                  read.port ? reportLine(linkResultText(read, s.language, ResultWording::kFull))
                            : std::string(kTxtUnitDoesNotAnswer.text(s.language)),
                  read);
  }
  int index = -1;
  std::string offered;
  for (std::size_t i = 0; i < session.screens().size(); ++i) {
    const EchoScreenEntry& e = session.screens()[i];
    if (e.code == *code && index < 0) index = static_cast<int>(i);
    // Appended piece by piece: GCC 12 sees an overlap in `" " + ...` inlined
    // here (-Wrestrict).
    offered += ' ';
    offered += std::to_string(e.code);
    offered += " (";
    offered += e.text;
    offered += ')';
  }
  if (index < 0) {
    return stopEchoScreen(s, session, kExitUsage,
                          s.text(kTxtCliNoSuchScreen) + *screenText + "; " +
                              s.text(kTxtCliScreens) +
                              (offered.empty() ? std::string(" -") : offered));
  }
  session.choose(index);
  session.startRecording(path);
  int failures = 0;
  Clock& clock = s.app.master.clock();
  while (session.recordCount() < images) {
    // The screen's pace: a tick every half second at most, so the unit has
    // the time it has on the screen to draw its picture between the parts.
    const std::int64_t started = clock.nowMs();
    const EchoTick tick = session.tick();
    const std::int64_t left = EchoSession::kLiveTimerMs - (clock.nowMs() - started);
    if (tick == EchoTick::kRecordFailed) {
      return stopEchoScreen(s, session, kExitUsage, session.fileResult().message(s.language));
    }
    if (tick == EchoTick::kFailed) {
      if (++failures == kFailuresInARow) {
        const std::string records =
            session.recordCount() == 0
                ? std::string(s.text(kTxtCliNoPictureWritten))
                : std::to_string(session.recordCount()) + s.text(kTxtCliPicturesIn) + path;
        return stopEchoScreen(s, session, kExitUnit, session.screen().title + "; " + records);
      }
      continue;
    }
    failures = 0;
    if (tick == EchoTick::kImage) s.err << session.screen().secondLine << "\n";
    if (left > 0 && session.recordCount() < images) s.app.master.pause(static_cast<int>(left));
  }
  if (const int code = stopEchoScreen(s, session, kExitDone, {}); code != kExitDone) return code;
  s.out << path << "\n";
  return kExitDone;
}

}  // namespace flowdesk
