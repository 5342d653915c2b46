// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "base/BilingualText.h"
#include "config/ComparisonReport.h"

class QWidget;

namespace flowdesk {

class AppContext;

// Shows a comparison's report as every COMPARE button does: a failure in a
// message; otherwise the report becomes the CurrentFilePath and opens in the
// operator's spreadsheet program, or, without one (or when it cannot
// start), a message names the compared file and the report. A comparison
// with a file that holds less than a block is first said in a warning.
void showComparison(QWidget* parent, AppContext& context, const ComparisonOutcome& outcome,
                    const BilingualText& caption);

}  // namespace flowdesk
