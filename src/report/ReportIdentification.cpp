// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ReportIdentification.h"

#include <cmath>

#include "base/FieldFormat.h"
#include "base/Texts.h"
#include "base/ValueLists.h"
#include "files/PlotData.h"
#include "link/AppContext.h"
#include "measure/MeasurementDisplay.h"

namespace flowdesk {
std::string isoLocalTime(std::time_t moment) {
  std::tm tm{};
  localtime_r(&moment, &tm);
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &tm);
  std::string s = text;
  // strftime's offset is +0100; ISO 8601's extended form wants +01:00.
  if (s.size() >= 5) s.insert(s.size() - 2, ":");
  return s;
}

ReportHeader reportHeader(const AppContext& app, const VerificationSession& session,
                          std::time_t started, double seconds, Language language) {
  ReportHeader h;
  h.address = static_cast<int>(app.settings.Jbus);
  h.unitCode = std::to_string(app.settings.Unit);
  h.model = listText(UnitTypeList, UnitTypeList.count(), app.settings.Unit, language);
  if (const auto& m = session.lastSample()) {
    h.versions.emplace_back("display",
                            versionText(m->displayVersion.data(), m->displayVersion.size()));
    h.versions.emplace_back("vov", versionText(m->vovVersion.data(), m->vovVersion.size()));
  }
  h.started = isoLocalTime(started);
  h.seconds = seconds;
  h.language = language;
  return h;
}

std::vector<std::pair<std::string, std::string>> reportIdentification(
    const AppContext& app, const VerificationSession& session, const LocalDateTime& pc,
    Language language, const RegionalSettings& regional) {
  std::vector<std::pair<std::string, std::string>> rows;
  const auto row = [&](const BilingualText& label, std::string value) {
    rows.emplace_back(label.text(language), std::move(value));
  };
  const AppSettings& s = app.settings;
  row(kTxtReportUnitCode, std::to_string(s.Unit) + " (" +
                              listText(UnitTypeList, UnitTypeList.count(), s.Unit, language) + ")");
  row(kTxtReportAddress, std::to_string(static_cast<int>(s.Jbus)));
  row(kTxtReportDevice, app.devicePath(s.Com));
  if (s.Bauds >= 0 && s.Bauds < static_cast<int>(kBaudTable.size()))
    row(kTxtReportRate, std::to_string(kBaudTable[static_cast<std::size_t>(s.Bauds)]));
  row(kTxtReportReplyEnd, listText(ReplyEndList, ReplyEndList.count(), s.ReplyEnd, language));
  const std::optional<MeasurementRegion>& m = session.lastSample();
  if (!m) return rows;
  row(kTxtReportDisplayVersion, versionText(m->displayVersion.data(), m->displayVersion.size()));
  row(kTxtReportVovVersion, versionText(m->vovVersion.data(), m->vovVersion.size()));
  const UnitDateTime& u = m->unitClock;
  row(kTxtReportUnitClock, unitDateTimeText(u, regional));
  row(kTxtReportPcClock,
      formatDateTime(pc.day, pc.month, pc.year, pc.hour, pc.minute, pc.second, regional));
  const double unitTime =
      plotTime(LocalDateTime{u.year + 2000, u.month, u.day, u.hour, u.minute, u.second});
  const double pcTime = plotTime(pc);
  if (std::isfinite(unitTime) && std::isfinite(pcTime))
    row(kTxtReportClockDifference, formatFixed(std::round(unitTime - pcTime), 0) + " s");
  if (m->loggerFitted != 0) {
    row(kTxtReportLogger,
        formatFixed(m->loggerRecordsFilled, 0) + " / " + formatFixed(m->loggerSize, 0));
  } else {
    row(kTxtReportLogger, kTxtReportNoLogger.text(language));
  }
  return rows;
}

}  // namespace flowdesk
