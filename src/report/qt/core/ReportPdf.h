// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <vector>

#include "base/BinaryFile.h"
#include "report/ReportDocument.h"
#include "report/VerificationSession.h"

namespace flowdesk {

// The report as an A4 PDF/A-1b: searchable text with its fonts embedded, a
// header on every page, "page N of M" at the foot, tables that carry their
// heads over to the next page rather than split a row, and each chord's
// echo picture drawn as the echo screen draws it. Written through a
// temporary file and a rename, as every file of ours.
FileResult writeReportPdf(const std::string& path, const ReportDocument& document,
                          const std::vector<ChordEcho>& echoes);

// The same PDF in memory, for the window's preview and for tests.
std::vector<std::uint8_t> reportPdfBytes(const ReportDocument& document,
                                         const std::vector<ChordEcho>& echoes);

}  // namespace flowdesk
