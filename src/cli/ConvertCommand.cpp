// SPDX-License-Identifier: GPL-3.0-or-later
#include <memory>
#include <string>

#include "base/FileNames.h"
#include "cli/CliSession.h"
#include "files/FileKinds.h"
#include "files/SpreadsheetConversion.h"
#include "logger/LoggerConversion.h"
#include "measure/MeasurementConversion.h"

namespace flowdesk {

int runConvert(CliSession& s) {
  CommandArgs args({{"-o", true}});
  if (const auto refused = s.readArgs(args)) return *refused;
  if (args.positional().size() != 1) return s.wantsOneFile("convert");
  const std::string& in = args.positional().front();
  const FileKindInfo* kind = fileKindOfPath(in);
  std::unique_ptr<ConversionSource> source;
  if (kind != nullptr && kind->kind == FileKind::kMeasurement) {
    source = std::make_unique<MeasurementConversionSource>(s.regional);
  } else if (kind != nullptr && kind->kind == FileKind::kLogger) {
    source = std::make_unique<LoggerConversionSource>(s.regional, s.language);
  } else {
    return s.usage(s.text(kTxtCliConvertReads) + in);
  }
  // Without -o, the name the conversion screen proposes, in the current folder.
  const std::string out = args.value("-o").value_or(prnNameFor(in));

  SpreadsheetConversion conversion(*source, in, out, s.language);
  if (FileResult r = conversion.run(s.app.master.clock()); !r.ok()) return s.fileFailure(r);
  s.out << out << "\n";
  return kExitDone;
}

}  // namespace flowdesk
