// SPDX-License-Identifier: GPL-3.0-or-later
// The two files a verification report reads from the operator: a baseline
// JSON (an earlier report's, or anything named so) and a limits file. Both
// readers take any bytes; a baseline they accept holds only chords 1 to 6,
// and limits they accept are ones a check can be held against.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzSupport.h"
#include "report/ReportJson.h"
#include "report/ReportLimits.h"

using namespace flowdesk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  if (const auto baseline = readReportBaseline(text, kEnglish, error)) {
    for (const BaselineChord& c : baseline->chords) FUZZ_CHECK(c.chord >= 1 && c.chord <= 6);
  } else {
    FUZZ_CHECK(!error.empty());
  }
  error.clear();
  if (const auto limits = parseReportLimits(text, kFrench, error)) {
    FUZZ_CHECK(limits->turbulencePercent >= 0 && std::isfinite(limits->turbulencePercent));
    FUZZ_CHECK(
        !(limits->gainMinDb && limits->gainMaxDb && *limits->gainMinDb > *limits->gainMaxDb));
    // What it reads, it writes back the same.
    std::string again;
    FUZZ_CHECK(parseReportLimits(reportLimitsText(*limits), kFrench, again).has_value());
  } else {
    FUZZ_CHECK(!error.empty());
  }
  return 0;
}
