// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "base/BilingualText.h"
#include "base/Clock.h"
#include "base/RegionalFormat.h"
#include "report/ReportJson.h"
#include "report/VerificationSession.h"

namespace flowdesk {

class AppContext;

// "2026-12-10T15:04:05+01:00": a moment in the PC's time zone, as ISO 8601
// writes it.
std::string isoLocalTime(std::time_t moment);

// The report's header from the run: who asked for it, and the unit as the
// sampling found it.
ReportHeader reportHeader(const AppContext& app, const VerificationSession& session,
                          std::time_t started, double seconds, Language language);

// The identification table: the unit (code, model, versions, address), its
// line (device, rate, reply end), its clock beside the PC's at the last
// sample and their difference, and its logger.
std::vector<std::pair<std::string, std::string>> reportIdentification(
    const AppContext& app, const VerificationSession& session, const LocalDateTime& pcAtLastSample,
    Language language, const RegionalSettings& regional);

}  // namespace flowdesk
