// SPDX-License-Identifier: GPL-3.0-or-later
// The logger settings session against a register store on an in-memory line:
// opening, the change rules, the range and the TRANSFERT sequence.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "logger/LoggerConfigurationSession.h"
#include "support/RegisterUnit.h"

namespace flowdesk {
namespace {

using Step = LoggerUploadStep;

// A unit with a logger: model word 0x0001, block L, logger size.
struct LoggerUnit : testing::RegisterLine {
  DeviceImage image{};
  AppContext context{clock, image};
  LoggerUnit(int type = 1, std::uint16_t size = 1000, int period = 4) {
    serve(context.master);
    context.settings.Language = languageIndex(kEnglish);
    registers[0x000A] = 0x0001;
    registers[0x0010] = size;
    registers[0x3100] = static_cast<std::uint16_t>(period << 8 | 12);  // period, point 12
    registers[0x3101] = static_cast<std::uint16_t>(type << 8 | 1);     // type, parameter 2
  }
};

TEST(LoggerConfigurationSession, RangeInDaysAndRegionalTime) {
  RegionalSettings twelveHour;
  twelveHour.clock24 = false;
  struct Case {
    std::uint32_t capacity;
    int type, period;
    Language language;
    RegionalSettings regional;
    std::uint64_t seconds;
    std::string text;
  } cases[] = {
      // 1000 9-parameter records read, switched to 4 parameters at 1 mn.
      {2000, 0, 4, kFrench, {}, 120000, "1 Jour(s) 09:20:00"},
      // 65535 9-parameter records at 24 h, switched to 4: no 32-bit wrap.
      {131070, 0, 14, kEnglish, {}, 131070ull * 86400, "131070 Day(s) 00:00:00"},
      {2000, 1, 0, kEnglish, {}, 1000, "00:16:40"},
      {2000, 1, 10, kEnglish, twelveHour, 1000ull * 3600, "41 Day(s) 04:00:00 PM"},
      {2000, 0, 99, kEnglish, {}, 0, "00:00:00"},  // a period outside the list lasts nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::uint64_t s = loggerRangeSeconds(c.capacity, c.type, c.period);
    EXPECT_EQ(s, c.seconds);
    EXPECT_EQ(loggerRangeText(s, c.language, c.regional), c.text);
  }
}

TEST(LoggerConfigurationSession, OpeningReadsThreeBlocksOrStops) {
  struct Case {
    const char* name;
    std::uint16_t model;
    int refused;  // a first register that gets no answer, or -1
    bool fileMode;
    LoggerOpenStop stop;
  } cases[] = {
      {"logger fitted", 0x0001, -1, false, LoggerOpenStop::kNone},
      {"no logger", 0x0100, -1, false, LoggerOpenStop::kNoLogger},
      {"model word silent", 0x0001, 0x000A, false, LoggerOpenStop::kNoLogger},
      {"block L silent", 0x0001, 0x3100, false, LoggerOpenStop::kReadFailed},
      {"size silent", 0x0001, 0x0010, false, LoggerOpenStop::kReadFailed},
      {"file mode", 0x0001, -1, true, LoggerOpenStop::kFileMode},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoggerUnit u;
    u.registers[0x000A] = c.model;
    u.refused = {c.refused};
    LoggerConfigurationSession s(u.context);
    const LoggerOpenOutcome o = s.open(c.fileMode);
    EXPECT_EQ(o.ok, c.stop == LoggerOpenStop::kNone);
    EXPECT_EQ(o.stop, c.stop);
    if (o.ok) {
      EXPECT_EQ(s.typeAtOpen(), 1);
      EXPECT_EQ(s.capacityUnits(), 2000u);
      EXPECT_FLOAT_EQ(s.settings().pointNumber, 12);
    }
  }
  // A stored index beyond its list opens as the first entry.
  LoggerUnit u(7, 1000, 40);
  LoggerConfigurationSession s(u.context);
  ASSERT_TRUE(s.open().ok);
  EXPECT_EQ(s.settings().loggerType, 0);
  EXPECT_EQ(s.settings().periodIndex, 0);
  EXPECT_EQ(s.capacityUnits(), 1000u);
}

TEST(LoggerConfigurationSession, TransfertErasesFirstAndStopsAtAFailure) {
  const Bytes erase = {0, 0, 0, 0, 0, 0, 0, 1};
  struct Case {
    const char* name;
    bool erase;
    int refused;
    std::vector<int> writes;
    std::vector<Step> written;
    bool ok;
    std::string text;
  } cases[] = {
      {"erase then settings",
       true,
       -1,
       {0x2306, 0x3100},
       {Step::kErase, Step::kSettings},
       true,
       "Reset Information\nUpload Logger Information"},
      {"settings alone", false, -1, {0x3100}, {Step::kSettings}, true, "Upload Logger Information"},
      {"failed erase: no settings", true, 0x2306, {}, {}, false, "Upload Failure"},
      {"failed settings", false, 0x3100, {}, {}, false, "Upload Failure"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoggerUnit u;
    LoggerConfigurationSession s(u.context);
    ASSERT_TRUE(s.open().ok);
    u.refused = {c.refused};
    s.eraseRequested = c.erase;
    s.settings().loggerType = 0;
    s.settings().pointNumber = 300;
    const LoggerUploadOutcome o = s.upload();
    EXPECT_EQ(o.ok, c.ok);
    EXPECT_EQ(u.writes, c.writes);
    EXPECT_EQ(o.written, c.written);
    EXPECT_EQ(loggerUploadText(o, kEnglish), c.text);
    if (!c.ok) {
      EXPECT_EQ(o.failedStep, c.erase ? Step::kErase : Step::kSettings);
      continue;
    }
    const testing::RegisterWrite& settings = u.written.back();
    EXPECT_EQ(settings.data[1], 255);              // point 300 sent as 255
    EXPECT_EQ(settings.data[2], c.erase ? 0 : 1);  // the type changes only with an erase
    if (c.erase) {
      EXPECT_EQ(u.written.front().data, erase);
      EXPECT_GE(settings.atMs - u.written.front().atMs, 600);  // the unit's pause
    }
  }
}

}  // namespace
}  // namespace flowdesk
