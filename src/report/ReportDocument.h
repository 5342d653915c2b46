// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/BilingualText.h"
#include "base/RegionalFormat.h"
#include "report/ReportChecks.h"
#include "report/ReportFigures.h"
#include "report/ReportJson.h"

namespace flowdesk {

// A table of the report: its title, its column heads (none for a table of
// label and value pairs) and its rows of texts. The PDF lays these out and
// breaks them across pages; it computes and words nothing itself.
struct ReportSection {
  std::string title{};
  std::vector<std::string> columns{};
  std::vector<std::vector<std::string>> rows{};
  std::vector<bool> failedRows{};  // rows to mark (a failed check), same count as rows
  std::string note{};              // a line under the table, or empty
};

// The whole report as texts, in the report's language, with the operator's
// decimal separator.
struct ReportDocument {
  std::string title;                     // "Rapport de vérification" ...
  std::vector<std::string> headerLines;  // site, tag, operator, date
  std::string verdict;                   // "CONFORME" / "PASS" ...
  bool pass = false;
  std::vector<ReportSection> tables;
  std::string echoTitle;                  // the echo pictures' section
  std::vector<std::string> echoCaptions;  // one per chord, in the echoes' order
  std::string pageOf;                     // "Page %d sur %d" / "Page %d of %d"
};

// `identification` holds label and value pairs already worded (the unit,
// its line, its clocks, its logger), shown first.
ReportDocument reportDocument(
    const ReportHeader& header,
    const std::vector<std::pair<std::string, std::string>>& identification,
    const ReportFigures& figures, const ReportSummary& summary, const std::vector<int>& echoChords,
    const RegionalSettings& regional);

}  // namespace flowdesk
