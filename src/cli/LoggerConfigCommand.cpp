// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
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
  s.out << s.text("Taille logger: ", "Logger size: ") << session.loggerSize()
        << s.text(" enregistrements (", " records (") << session.capacityUnits()
        << s.text(" en 4 paramètres)", " as 4 parameters)") << "\n"
        << kTxtLoggerRange.text(lang) << ": " << session.rangeText(lang, s.regional) << "\n";
}

}  // namespace

int runLoggerConfig(CliSession& s) {
  CommandArgs args({{"--type", true},
                    {"--period", true},
                    {"--point", true},
                    {"--params", true},
                    {"--erase", false}});
  if (std::string problem = args.parse(s.args); !problem.empty()) return s.usage(problem);
  if (!args.positional().empty()) return s.usage("logger-config takes options only");

  std::optional<long> type, period, point;
  std::vector<long> params;
  if (auto v = args.value("--type")) {
    type = parseWholeNumber(*v, 4, 9);
    if (!type || (*type != 4 && *type != 9)) return s.usage("--type wants 4 or 9");
  }
  if (auto v = args.value("--period")) {
    period = parseWholeNumber(*v, 0, kPeriodCount - 1);
    if (!period) return s.usage("--period wants a period index from 0 (1 s) to 14 (24 h)");
  }
  if (auto v = args.value("--point")) {
    // Above 255 is clamped as the screen clamps it.
    point = parseWholeNumber(*v, 0, 1000000);
    if (!point) return s.usage("--point wants a point number from 0 to 255");
  }
  if (auto v = args.value("--params")) {
    const auto quantities = parseNumberList(*v, 0, kLoggedQuantityCount - 1, 8);
    if (!quantities) {
      return s.usage("--params wants up to 8 quantity indexes from 0 to 38 (parameters 2 to 9)");
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
    return s.fail(kExitUnit,
                  open.stop == LoggerOpenStop::kNoLogger
                      ? s.text("pas de logger dans l'unité (ou pas de réponse)",
                               "no logger in the unit (or no answer)")
                      : s.text("la lecture des réglages du logger a échoué",
                               "reading the logger settings failed"),
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
      return s.usage("--type changes the logger type only with --erase");
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
