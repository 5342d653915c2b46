// SPDX-License-Identifier: GPL-3.0-or-later
#include <cctype>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Texts.h"
#include "cli/CliSession.h"
#include "files/FileKinds.h"
#include "files/PlotSession.h"
#include "logger/LoggerPlot.h"
#include "measure/MeasurementPlot.h"

namespace flowdesk {

namespace {

std::vector<std::string> splitNames(const std::string& text) {
  std::vector<std::string> names;
  std::string name;
  for (const char c : text) {
    if (c == ',') {
      if (!name.empty()) names.push_back(name);
      name.clear();
    } else {
      name.push_back(c);
    }
  }
  if (!name.empty()) names.push_back(name);
  return names;
}

bool endsWithFolded(const std::string& text, std::string_view end) {
  if (text.size() < end.size()) return false;
  for (std::size_t i = 0; i < end.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[text.size() - end.size() + i]);
    if (std::tolower(c) != end[i]) return false;
  }
  return true;
}

std::string joined(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
  return out;
}

}  // namespace

int runPlot(CliSession& s) {
  CommandArgs args({{"-o", true}, {"--series", true}, {"--from", true}, {"--to", true}});
  if (const auto refused = s.readArgs(args)) return *refused;
  if (args.positional().size() != 1) return s.wantsOneFile("plot");
  const std::string& in = args.positional().front();
  const std::optional<std::string> out = args.value("-o");
  if (!out) return s.usage(s.text(kTxtCliPlotWantsOutput));
  // Any other name would get a PNG under a name that says otherwise.
  if (!endsWithFolded(*out, ".png") && !endsWithFolded(*out, ".svg")) {
    return s.usage(s.text(kTxtPlotWrongImageKind) + *out);
  }

  const FileKindInfo* kind = fileKindOfPath(in);
  std::unique_ptr<PlotSource> source;
  if (kind != nullptr && kind->kind == FileKind::kMeasurement) {
    source = std::make_unique<MeasurementPlotSource>();
  } else if (kind != nullptr && kind->kind == FileKind::kLogger) {
    source = std::make_unique<LoggerPlotSource>();
  } else {
    return s.usage(s.text(kTxtCliPlotReads) + in);
  }
  std::optional<double> from;
  std::optional<double> to;
  for (auto [option, into] : {std::pair{"--from", &from}, std::pair{"--to", &to}}) {
    if (const std::optional<std::string> text = args.value(option)) {
      *into = parsePlotDate(*text);
      if (!*into) return s.usage(textWithWords(s.text(kTxtPlotBadDate), {*text}));
    }
  }
  if (!s.writePlot) {
    return s.usage(s.text(kTxtCliPlotUnavailable));
  }

  PlotData data;
  if (FileResult r = source->read(in, s.language, data); !r.ok()) return s.fileFailure(r);
  PlotSession session;
  session.setData(std::move(data));
  if (const std::optional<std::string> names = args.value("--series")) {
    if (const std::optional<std::string> unknown = session.chooseSeries(splitNames(*names))) {
      return s.usage(
          textWithWords(s.text(kTxtPlotUnknownSeries), {*unknown, joined(session.seriesNames())}));
    }
  }
  if (session.datedRecords() == 0) {
    return s.fail(kExitUsage, s.text(kTxtPlotNoRecords) + in);
  }
  if (from || to) {
    session.restrictTo(from, to);
    if (session.datedRecords() == 0) {
      return s.fail(kExitUsage, s.text(kTxtPlotNothingInRange) + in);
    }
  }
  const std::string title = plotImageTitle(in, session, s.regional, s.language);
  if (FileResult r = s.writePlot(*out, session, title, s.language, s.regional); !r.ok()) {
    return s.fileFailure(r);
  }
  s.out << *out << "\n";
  return kExitDone;
}

}  // namespace flowdesk
