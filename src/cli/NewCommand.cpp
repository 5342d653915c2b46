// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliSession.h"
#include "config/DefaultFiles.h"
#include "files/FileKinds.h"

namespace flowdesk {

int runNew(CliSession& s) {
  CommandArgs args({});
  if (std::string problem = args.parse(s.args); !problem.empty()) return s.usage(problem);
  if (args.positional().size() != 1) return s.usage("new wants one file name");
  const std::string& path = args.positional().front();
  const FileKindInfo* kind = fileKindOfPath(path);
  if (kind == nullptr || !kind->newFromDefaults) {
    return s.usage(std::string(s.text("new fait des fichiers ", "new makes ")) +
                   ".eta, .rus, .nvd " + s.text("ou", "or") + " .csp540: " + path);
  }
  // The same kinds as the New menu offers in each mode.
  if (kind->kind == FileKind::FactorySettings && !s.app.modeFlags.factory) {
    return s.usage(
        std::string(s.text("un fichier .rus demande --factory", "a .rus file needs --factory")));
  }
  if ((kind->kind == FileKind::MakerSettings || kind->kind == FileKind::SpecialProbe) &&
      !s.app.modeFlags.maker) {
    return s.usage(std::string(s.text("un fichier .nvd ou .csp540 demande --maker",
                                      "a .nvd or .csp540 file needs --maker")));
  }
  const FileResult r = writeDefaultFile(kind->kind, path, s.app.settings);
  if (!r.ok()) return s.fileFailure(r);
  s.out << path << "\n";
  return kExitDone;
}

}  // namespace flowdesk
