// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliSession.h"
#include "config/DefaultFiles.h"
#include "files/FileKinds.h"

namespace flowdesk {

int runNew(CliSession& s) {
  CommandArgs args({});
  if (const auto refused = s.readArgs(args)) return *refused;
  if (args.positional().size() != 1) return s.wantsOneFile("new");
  const std::string& path = args.positional().front();
  const FileKindInfo* kind = fileKindOfPath(path);
  if (kind == nullptr || !kind->newFromDefaults) {
    return s.usage(s.text(kTxtCliNewMakes) + path);
  }
  // The same kinds as the New menu offers in each mode.
  if (kind->kind == FileKind::kFactorySettings && !s.app.modeFlags.factory) {
    return s.usage(s.text(kTxtCliRusNeedsFactory));
  }
  if ((kind->kind == FileKind::kMakerSettings || kind->kind == FileKind::kSpecialProbe) &&
      !s.app.modeFlags.maker) {
    return s.usage(s.text(kTxtCliNvdCspNeedsMaker));
  }
  const FileResult r = writeDefaultFile(kind->kind, path, s.app.settings);
  if (!r.ok()) return s.fileFailure(r);
  s.out << path << "\n";
  return kExitDone;
}

}  // namespace flowdesk
