// SPDX-License-Identifier: GPL-3.0-or-later
#include <cctype>
#include <cstdio>
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

std::string filled(const BilingualText& format, Language language, const std::string& a,
                   const std::string& b = {}) {
  const int size = std::snprintf(nullptr, 0, format.text(language), a.c_str(), b.c_str());
  std::string out(static_cast<std::size_t>(size > 0 ? size : 0) + 1, '\0');
  std::snprintf(out.data(), out.size(), format.text(language), a.c_str(), b.c_str());
  out.resize(out.size() - 1);
  return out;
}

}  // namespace

int runPlot(CliSession& s) {
  CommandArgs args({{"-o", true}, {"--series", true}, {"--from", true}, {"--to", true}});
  if (std::string problem = args.parse(s.args); !problem.empty()) return s.usage(problem);
  if (args.positional().size() != 1) return s.usage("plot wants one file name");
  const std::string& in = args.positional().front();
  const std::optional<std::string> out = args.value("-o");
  if (!out) return s.usage("plot wants -o OUT.png or -o OUT.svg");
  // Any other name would get a PNG under a name that says otherwise.
  if (!endsWithFolded(*out, ".png") && !endsWithFolded(*out, ".svg")) {
    return s.usage(std::string(kTxtPlotWrongImageKind.text(s.language)) + *out);
  }

  const FileKindInfo* kind = fileKindOfPath(in);
  std::unique_ptr<PlotSource> source;
  if (kind != nullptr && kind->kind == FileKind::Measurement) {
    source = std::make_unique<MeasurementPlotSource>();
  } else if (kind != nullptr && kind->kind == FileKind::Logger) {
    source = std::make_unique<LoggerPlotSource>();
  } else {
    return s.usage(std::string(s.text("plot lit les fichiers .mes et .log: ",
                                      "plot reads .mes and .log files: ")) +
                   in);
  }
  std::optional<double> from;
  std::optional<double> to;
  for (auto [option, into] : {std::pair{"--from", &from}, std::pair{"--to", &to}}) {
    if (const std::optional<std::string> text = args.value(option)) {
      *into = parsePlotDate(*text);
      if (!*into) return s.usage(filled(kTxtPlotBadDate, s.language, *text));
    }
  }
  if (!s.writePlot) {
    return s.usage(s.text("plot n'est pas disponible dans cette version (sans Qt Charts)",
                          "plot is not available in this build (no Qt Charts)"));
  }

  PlotData data;
  if (FileResult r = source->read(in, s.language, data); !r.ok()) return s.fileFailure(r);
  PlotSession session;
  session.setData(std::move(data));
  if (const std::optional<std::string> names = args.value("--series")) {
    if (const std::optional<std::string> unknown = session.chooseSeries(splitNames(*names))) {
      return s.usage(
          filled(kTxtPlotUnknownSeries, s.language, *unknown, joined(session.seriesNames())));
    }
  }
  if (session.datedRecords() == 0) {
    return s.fail(kExitUsage, std::string(kTxtPlotNoRecords.text(s.language)) + in);
  }
  if (from || to) {
    session.restrictTo(from, to);
    if (session.datedRecords() == 0) {
      return s.fail(kExitUsage, std::string(kTxtPlotNothingInRange.text(s.language)) + in);
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
