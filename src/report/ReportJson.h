// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/BilingualText.h"
#include "report/ReportChecks.h"
#include "report/ReportFigures.h"

namespace flowdesk {

// The JSON beside a report's PDF: the same figures, for the next visit's
// --baseline and for whoever keeps the site's records. Its keys are stable
// (docs/report.md); `version` changes only when a key changes meaning.
inline constexpr int kReportJsonVersion = 1;

// Who and what a report is about: its header in the PDF, "unit" and the
// first keys in the JSON.
struct ReportHeader {
  int address = 0;
  std::string unitCode;
  std::string model;
  std::vector<std::pair<std::string, std::string>> versions;  // {"display", "1.02"}...
  std::string started;                                        // ISO 8601, local with offset
  double seconds = 0;                                         // the sampling window asked for
  std::string operatorName;
  std::string site;
  std::string tag;
  Language language = kEnglish;
};

std::string reportJson(const ReportHeader& header, const ReportFigures& figures,
                       const ReportSummary& summary);

// The chords of an earlier report's JSON, for the fingerprint. A text that
// is not such a JSON gives no baseline and says why in `error`.
std::optional<ReportBaseline> readReportBaseline(std::string_view json, Language language,
                                                 std::string& error);

}  // namespace flowdesk
