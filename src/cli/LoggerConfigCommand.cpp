// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "base/Texts.h"
#include "base/ValueLists.h"
#include "cli/CliSession.h"
#include "logger/LoggerConfigurationSession.h"

namespace flowdesk {

namespace {

// The list texts are padded to their width on the unit's display.
std::string trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

const BilingualText* const kParameterLabels[] = {&kTxtParameter2, &kTxtParameter3, &kTxtParameter4,
                                                 &kTxtParameter5, &kTxtParameter6, &kTxtParameter7,
                                                 &kTxtParameter8, &kTxtParameter9};

void printSettings(CliSession& s, const LoggerConfigurationSession& session) {
  const Language lang = s.language;
  const LoggerSettingsRegion& l = session.settings();
  s.out << kTxtNbrOfParameters.text(lang) << ": "
        << listText(LoggerTypeList, LoggerTypeList.count(), l.loggerType, lang) << "\n"
        << kTxtLoggerStep.text(lang) << ": "
        << listText(PeriodList, kPeriodCount, l.periodIndex, lang) << "\n"
        << kTxtPointNumber.text(lang) << ": " << static_cast<int>(l.pointNumber) << "\n"
        << kTxtParameter1.text(lang) << ": " << kTxtAverageFlow.text(lang) << "\n";
  const int parameters = session.hasParameters5To9() ? 8 : 3;
  for (int p = 0; p < parameters; ++p) {
    s.out << kParameterLabels[p]->text(lang) << ": "
          << trimmed(listText(LoggedQuantityList, kLoggedQuantityCount,
                              l.loggedParam[static_cast<std::size_t>(p)], lang))
          << "\n";
  }
  s.out << textWithNumbers(s.text(kTxtCliLoggerSize),
                           {session.loggerSize(), session.capacityUnits()})
        << "\n"
        << kTxtLoggerRange.text(lang) << ": " << session.rangeText(lang, s.regional) << "\n";
}

}  // namespace

int runLoggerConfig(CliSession& s) {
  CommandArgs args({{"--type", true},
                    {"--period", true},
                    {"--point", true},
                    {"--params", true},
                    {"--erase", false}});
  if (const auto refused = s.readArgs(args)) return *refused;
  if (!args.positional().empty()) return s.usage(s.text(kTxtCliTakesOptionsOnly));

  std::optional<long> type, period, point;
  std::vector<long> params;
  if (auto v = args.value("--type")) {
    type = parseWholeNumber(*v, 4, 9);
    if (!type || (*type != 4 && *type != 9)) return s.usage(s.text(kTxtCliTypeWants));
  }
  if (auto v = args.value("--period")) {
    period = parseWholeNumber(*v, 0, kPeriodCount - 1);
    if (!period) {
      return s.usage(
          textWithNumbers(textWithWords(s.text(kTxtCliPeriodWants),
                                        {kPeriods[0].text, kPeriods[kPeriodCount - 1].text}),
                          {kPeriodCount - 1}));
    }
  }
  if (auto v = args.value("--point")) {
    // Above 255 is clamped as the screen clamps it.
    point = parseWholeNumber(*v, 0, 1000000);
    if (!point) return s.usage(s.text(kTxtCliPointWants));
  }
  if (auto v = args.value("--params")) {
    const auto quantities =
        parseNumberList(*v, 0, kLoggedQuantityCount - 1, std::size(kParameterLabels));
    if (!quantities) {
      return s.usage(textWithNumbers(
          s.text(kTxtCliParamsWants),
          {static_cast<long long>(std::size(kParameterLabels)), kLoggedQuantityCount - 1}));
    }
    params = *quantities;
  }
  const bool erase = args.has("--erase");
  const bool change = type || period || point || !params.empty() || erase;

  LoggerConfigurationSession session(s.app);
  const LoggerOpenOutcome open = session.open();
  if (!open.ok && open.link.port) {
    return s.fail(kExitUnit, oneLine(loggerOpenText(open, s.language)), open.link);
  }
  if (!open.ok) {
    return s.fail(
        kExitUnit,
        s.text(open.stop == LoggerOpenStop::kNoLogger ? kTxtCliNoLogger : kTxtCliLoggerReadFailed),
        open.link);
  }
  if (!change) {
    printSettings(s, session);
    return kExitDone;
  }
  LoggerSettingsRegion& l = session.settings();
  session.eraseRequested = erase;
  if (type) {
    const std::int32_t wanted = *type == 9 ? 1 : 0;
    if (wanted != session.typeAtOpen() && !erase) {
      return s.usage(s.text(kTxtCliTypeNeedsErase));
    }
    l.loggerType = wanted;
  }
  if (period) l.periodIndex = static_cast<std::int32_t>(*period);
  if (point) l.pointNumber = static_cast<float>(*point);
  for (std::size_t p = 0; p < params.size(); ++p) {
    l.loggedParam[p] = static_cast<std::int32_t>(params[p]);
  }
  session.applyRules();
  printSettings(s, session);
  const LoggerUploadOutcome up =
      session.upload([&s](const std::string& text) { s.err << text << "\n"; });
  if (!up.ok) return s.fail(kExitUnit, oneLine(loggerUploadText(up, s.language)), up.link);
  return kExitDone;
}

}  // namespace flowdesk
