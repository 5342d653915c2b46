#include "cli/CliSession.h"
#include "cli/FileShow.h"

namespace flowdesk {

int runShow(CliSession& s) {
  CommandArgs args({});
  if (std::string problem = args.parse(s.args); !problem.empty()) return s.usage(problem);
  if (args.positional().size() != 1) return s.usage("show wants one file name");
  FileResult r = showFile(args.positional().front(), s.language, s.regional, s.out);
  if (!r.ok()) return s.fileFailure(r);
  return kExitDone;
}

}  // namespace flowdesk
