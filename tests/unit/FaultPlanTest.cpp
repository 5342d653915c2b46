// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UnitFrames.h"
#include "link/JbusMaster.h"
#include "link/LinkTimings.h"
#include "unit/FaultPlan.h"
#include "unit/ReplyPlan.h"
#include "unit/RequestFrame.h"

namespace flowdesk::unit {
namespace {

using namespace std::chrono_literals;

// The kind each request 1..n gets, '.' for none.
std::string pattern(FaultPlan plan, int n) {
  std::string out;
  for (int i = 1; i <= n; ++i) {
    const auto a = plan.next(i);
    out += a ? faultKindName(a->kind)[0] : '.';
  }
  return out;
}

TEST(FaultPlan, TriggersPickTheRightRequests) {
  struct Case {
    const char* rules;
    const char* expected;  // first letter of the kind, requests 1 to 12
  };
  const Case cases[] = {
      {"", "............"},
      {"drop@3,5", "..d.d......."},
      {"crc@2-4;short@4", ".ccc........"},  // the first rule wins
      {"short@4;crc@2-4", ".ccs........"},
      {"silent>=10", ".........sss"},
      {"long@1; late=700@2 ;pause@12", "ll.........p"},
      {"exception=6@6;;", ".....e......"},
      {"crc%0", "............"},
      {"drop%100", "dddddddddddd"},
  };
  for (const Case& c : cases) {
    std::string error;
    const auto plan = FaultPlan::parse(c.rules, 1, error);
    ASSERT_TRUE(plan) << c.rules << ": " << error;
    EXPECT_EQ(pattern(*plan, 12), c.expected) << c.rules;
  }
}

TEST(FaultPlan, ValuesAndDefaults) {
  std::string error;
  auto plan = FaultPlan::parse("late=1500@1;exception@2;exception=11@3", 1, error);
  ASSERT_TRUE(plan) << error;
  EXPECT_EQ(plan->next(1), (FaultAction{FaultKind::kLate, 1500}));
  EXPECT_EQ(plan->next(2), (FaultAction{FaultKind::kException, -1}));
  EXPECT_EQ(plan->next(3), (FaultAction{FaultKind::kException, 11}));
}

TEST(FaultPlan, ProbabilityIsSeededAndNearItsRate) {
  std::string error;
  auto a = FaultPlan::parse("crc%10;drop%30", 42, error);
  auto b = FaultPlan::parse("crc%10;drop%30", 42, error);
  auto c = FaultPlan::parse("crc%10;drop%30", 43, error);
  ASSERT_TRUE(a && b && c);
  const std::string pa = pattern(*a, 4000), pb = pattern(*b, 4000), pc = pattern(*c, 4000);
  EXPECT_EQ(pa, pb);
  EXPECT_NE(pa, pc);
  const auto crc = std::count(pa.begin(), pa.end(), 'c');
  const auto drop = std::count(pa.begin(), pa.end(), 'd');
  EXPECT_NEAR(crc, 400, 80);
  EXPECT_NEAR(drop, 0.9 * 0.3 * 4000, 120);  // drops only where crc did not win
}

TEST(FaultPlan, BadRulesSayWhy) {
  struct Case {
    const char* rules;
    const char* mentions;
  };
  const Case cases[] = {
      {"drip@3", "unknown kind"},      {"drop", "needs a trigger"},
      {"drop@", "request numbers"},    {"drop@0", "request numbers"},
      {"drop@5-3", "request numbers"}, {"drop@3,", "request numbers"},
      {"crc%", "percentage"},          {"crc%101", "percentage"},
      {"crc%1x", "percentage"},        {"silent>=0", "from 1"},
      {"late=@3", "number"},           {"exception=0@1", "1 to 255"},
      {"drop@3;crc", "\"crc\""},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(FaultPlan::parse(c.rules, 1, error)) << c.rules;
    EXPECT_NE(error.find(c.mentions), std::string::npos) << c.rules << " -> " << error;
  }
}

TEST(ReplyPlan, EachFaultSpoilsTheReplyItsOwnWay) {
  const Bytes good = testing::withCrc({1, 3, 2, 0x12, 0x34});
  struct Case {
    std::optional<FaultAction> fault;
    int baud;
    int function;
    bool send;
    std::size_t size;
    bool crcGood;
    std::chrono::milliseconds delay;
    std::size_t pauseBefore;
    std::chrono::milliseconds pause;
  };
  const Case cases[] = {
      {std::nullopt, 9600, 3, true, 7, true, 5ms, 0, 0ms},
      {FaultAction{FaultKind::kDrop}, 9600, 3, false, 0, false, 5ms, 0, 0ms},
      {FaultAction{FaultKind::kSilent}, 9600, 3, false, 0, false, 5ms, 0, 0ms},
      {FaultAction{FaultKind::kBadCrc}, 9600, 3, true, 7, false, 5ms, 0, 0ms},
      {FaultAction{FaultKind::kShort}, 9600, 3, true, 6, false, 5ms, 0, 0ms},
      // A zero after a good frame leaves the CRC test passing: only the
      // length check can catch it.
      {FaultAction{FaultKind::kLong}, 9600, 3, true, 8, true, 5ms, 0, 0ms},
      {FaultAction{FaultKind::kException}, 9600, 3, true, 5, true, 5ms, 0, 0ms},
      // Late and pause with their delays given; the defaults follow the
      // master's limits (next test).
      {FaultAction{FaultKind::kLate, 800}, 9600, 3, true, 7, true, 800ms, 0, 0ms},
      {FaultAction{FaultKind::kLate, 2}, 9600, 3, true, 7, true, 5ms, 0, 0ms},
      {FaultAction{FaultKind::kPause, 300}, 600, 3, true, 7, true, 5ms, 3, 300ms},
  };
  for (const Case& c : cases) {
    const ReplyPlan p = planReply(good, c.fault, c.baud, c.function, 5ms);
    const std::string what = c.fault ? faultKindName(c.fault->kind) : "none";
    EXPECT_EQ(p.send, c.send) << what;
    EXPECT_EQ(p.bytes.size(), c.size) << what;
    EXPECT_EQ(testing::crcGood(p.bytes), c.crcGood) << what;
    EXPECT_EQ(p.delay, c.delay) << what << " at " << c.baud;
    EXPECT_EQ(p.pauseBefore, c.pauseBefore) << what;
    EXPECT_EQ(p.pause, c.pause) << what << " at " << c.baud;
  }
  const ReplyPlan e = planReply(good, FaultAction{FaultKind::kException, 6}, 9600, 3, 5ms);
  EXPECT_EQ(e.bytes[1], 0x83);
  EXPECT_EQ(e.bytes[2], 6);
  // The long reply keeps the good frame in front of its extra byte.
  const ReplyPlan l = planReply(good, FaultAction{FaultKind::kLong}, 9600, 3, 5ms);
  EXPECT_TRUE(std::equal(good.begin(), good.end(), l.bytes.begin()));
}

// A late reply must miss the attempt it answers but land in the next one (a
// master that retries at once takes it there), and a pause must end the reply
// for the master, at every rate and for reads as for writes.
TEST(ReplyPlan, DefaultLateAndPauseStraddleTheMastersLimits) {
  const Bytes good = testing::withCrc({1, 3, 2, 0x12, 0x34});
  for (std::size_t index = 0; index < kBaudTable.size(); ++index) {
    const int baud = static_cast<int>(kBaudTable[index]);
    const int i = static_cast<int>(index);
    for (const std::uint8_t function : {3, 4, 16}) {
      const auto limit = link_timings::firstByteLimit(i, function);
      const ReplyPlan late = planReply(good, FaultAction{FaultKind::kLate}, baud, function, 5ms);
      EXPECT_GT(late.delay, limit) << baud << " baud, function " << int{function};
      EXPECT_LT(late.delay, 2 * limit) << baud << " baud, function " << int{function};
    }
    const ReplyPlan paused = planReply(good, FaultAction{FaultKind::kPause}, baud, 3, 5ms);
    EXPECT_GT(paused.pause, link_timings::interByteLimit(i)) << baud << " baud";
    EXPECT_EQ(paused.pauseBefore, 3u) << baud << " baud";
  }
}

TEST(RequestFrame, LengthIsKnownFromTheHeader) {
  struct Case {
    Bytes bytes;
    FrameCheck check;
    std::size_t length;
  };
  const Case cases[] = {
      {{}, FrameCheck::kNeedMore, 0},
      {{1}, FrameCheck::kNeedMore, 1},
      {{1, 3, 0, 0, 0, 1, 0x84}, FrameCheck::kNeedMore, 7},
      {{1, 3, 0, 0, 0, 1, 0x84, 0x0A}, FrameCheck::kComplete, 8},
      {{1, 4, 0, 0, 0, 1, 0x31, 0xCA, 0xFF}, FrameCheck::kComplete, 8},
      {{1, 16, 0x33, 0, 0, 1}, FrameCheck::kNeedMore, 6},
      {{1, 16, 0x33, 0, 0, 1, 2, 0, 5, 0xAA}, FrameCheck::kNeedMore, 10},
      {{1, 16, 0x33, 0, 0, 1, 2, 0, 5, 0xAA, 0xBB}, FrameCheck::kComplete, 11},
      {{1, 6, 0, 0, 0, 1, 0xAA}, FrameCheck::kComplete, 7},  // unknown: up to the silence
  };
  for (const Case& c : cases) {
    std::size_t length = 99;
    EXPECT_EQ(checkRequest(c.bytes, length), c.check) << c.bytes.size();
    EXPECT_EQ(length, c.length) << c.bytes.size();
  }
}

}  // namespace
}  // namespace flowdesk::unit
