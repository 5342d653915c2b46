// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Texts.h"
#include "cli/CliSession.h"
#include "config/InitialisationSession.h"

namespace flowdesk {

// The initialisation dialog's "Oui": with no group named, only the clock,
// the totalizer resets and (on a unit with a logger) the logger are reset,
// as when the dialog's three boxes are cleared.
int runInit(CliSession& s) {
  CommandArgs args(
      {{"--calibration", false}, {"--factory-settings", false}, {"--maker-settings", false}});
  if (const auto refused = s.readArgs(args)) return *refused;
  if (!args.positional().empty()) return s.usage(s.text(kTxtCliInitTakesNoFile));
  // The same switch as the menu's command asks for: it overwrites the unit.
  if (!s.app.modeFlags.maker) {
    return s.usage(s.text(kTxtCliInitNeedsMaker));
  }
  InitialisationSession session(s.app);
  if (!session.readUnit()) {
    const std::string why = session.unitFailureText(s.language);
    return s.fail(kExitUnit,
                  why.empty() ? std::string(kTxtUnitDoesNotAnswer.text(s.language)) : oneLine(why),
                  session.unitRead());
  }
  session.choice = {args.has("--calibration"), args.has("--factory-settings"),
                    args.has("--maker-settings")};
  const InitialisationOutcome outcome =
      session.run([&s](const std::string& text) { s.err << text << "\n"; });
  if (!outcome.ok) {
    return s.fail(kExitUnit, oneLine(initialisationText(outcome, s.language)), outcome.link);
  }
  s.out << textWithNumbers(s.text(kTxtCliUnitInitialised),
                           {static_cast<long long>(outcome.written.size())})
        << "\n";
  return kExitDone;
}

}  // namespace flowdesk
