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
  if (std::string problem = args.parse(s.args); !problem.empty()) return s.usage(problem);
  if (!args.positional().empty()) return s.usage("init takes no file name");
  // The same switch as the menu's command asks for: it overwrites the unit.
  if (!s.app.modeFlags.maker) {
    return s.usage(std::string(s.text("init demande --maker", "init needs --maker")));
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
  s.out << s.text("Unité initialisée, ", "Unit initialised, ") << outcome.written.size()
        << s.text(" écritures", " writes") << "\n";
  return kExitDone;
}

}  // namespace flowdesk
