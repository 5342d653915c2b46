// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The timed part every conversion benchmark shares: one conversion of `in`
// into `out` through `source`, and the figures printed the same way.
#include <time.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "base/BinaryFile.h"
#include "base/Clock.h"
#include "files/SpreadsheetConversion.h"

namespace flowdesk::bench {

inline double cpuSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// `what` follows the record count on its line ("(9 parameters)"); `bar` is
// the target as the conversion line states it. 0, or 1 when the conversion
// failed (said on standard error).
inline int timeConversion(ConversionSource& source, const std::string& in, const std::string& out,
                          long records, const std::string& what, const char* bar) {
  SpreadsheetConversion conversion(source, in, out, kEnglish);
  long progressCalls = 0;
  const auto start = std::chrono::steady_clock::now();
  const double cpuStart = cpuSeconds();
  const FileResult r =
      conversion.run(systemClock(), [&](const ConversionCounters&) { ++progressCalls; });
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpu = cpuSeconds() - cpuStart;
  if (!r.ok()) {
    std::fprintf(stderr, "%s\n", r.message().c_str());
    return 1;
  }

  Bytes text;
  readWholeFile(out, text, std::numeric_limits<long long>::max());
  long lines = 0;
  for (std::uint8_t c : text) lines += c == '\n';
  std::printf("records            %ld %s\n", records, what.c_str());
  std::printf("lines written      %ld\n", lines);
  std::printf("text size          %zu bytes\n", text.size());
  std::printf("progress calls     %ld\n", progressCalls);
  std::printf("conversion         %.3f s (bar: %s)\n", seconds, bar);
  std::printf(
      "processor time     %.3f s (user and system; the wall time above also holds\n"
      "                   the waits for a busy machine)\n",
      cpu);
  std::printf("per record         %.2f us\n", seconds * 1e6 / static_cast<double>(records));
  return 0;
}

}  // namespace flowdesk::bench
