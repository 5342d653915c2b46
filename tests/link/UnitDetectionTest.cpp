// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <utility>
#include <vector>

#include "link/MemorySerialDriver.h"
#include "link/UnitDetection.h"
#include "link/UnitOnLine.h"

namespace flowdesk {
namespace {

using testing::answerAsUnit;
using Tried = std::vector<std::pair<int, int>>;

// Four lines behind Com1..Com4 on one manual clock.
struct Bench {
  ManualClock clock;
  std::array<std::shared_ptr<MemoryLine>, 4> lines;
  JbusMaster master{clock};
  std::int32_t Com = 0;
  float Jbus = 1.0f;
  std::int32_t Bauds = 5;
  int identifications = 0;

  Bench() {
    for (auto& l : lines) l = std::make_shared<MemoryLine>(clock);
    master.setLinkSettings([this] { return LinkSettings{Com, Jbus, Bauds}; });
    master.setPortOpener([this](int index, long baud, char parity, int bits, int stops) {
      return openMemoryPort(lines[static_cast<std::size_t>(index)], index, baud, parity, bits,
                            stops);
    });
    master.setIdentification([this](JbusMaster&) {
      ++identifications;
      return LinkResult{};
    });
  }

  void putUnit(int port, long baud, std::uint8_t high, std::uint8_t address) {
    answerAsUnit(*lines[static_cast<std::size_t>(port)], baud, high, address);
  }

  LinkSettingRefs link() { return {Com, Jbus, Bauds}; }
};

TEST(UnitDetection, FindsTheUnitOnCom2At9600AfterEverythingBefore) {
  Bench b;
  b.lines[0]->openStatus = -14;  // Com1: no such device
  b.putUnit(1, 9600, 0x12, 7);   // Com2: the unit, address 7
  b.putUnit(3, 9600, 0, 9);      // Com4: never searched
  b.Com = 3;
  b.Jbus = 12.0f;
  b.Bauds = 0;
  Tried tried;
  ConnectResult r =
      connectUnit(b.master, b.link(), [&](int port, int baud) { tried.emplace_back(port, baud); });
  ASSERT_TRUE(r.found);
  EXPECT_EQ(r.address, 7);  // the low byte, whatever the high byte holds
  EXPECT_EQ(b.Com, 1);
  EXPECT_EQ(b.Bauds, 5);
  EXPECT_FLOAT_EQ(b.Jbus, 7.0f);
  EXPECT_EQ(tried, (Tried{{0, 0},
                          {0, 1},
                          {0, 2},
                          {0, 3},
                          {0, 4},
                          {0, 5},
                          {1, 0},
                          {1, 1},
                          {1, 2},
                          {1, 3},
                          {1, 4},
                          {1, 5}}));
  EXPECT_EQ(b.lines[0]->opens, 6);  // a missing device fails at once, no retries
  EXPECT_EQ(b.lines[2]->opens, 0);
  EXPECT_EQ(b.lines[3]->opens, 0);
  // The scan asks at address 0, function 3, register 0x2202, one register.
  const Bytes& sent = b.lines[1]->sentLog;
  ASSERT_GE(sent.size(), 8u);
  EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 8),
            (Bytes{0x00, 0x03, 0x22, 0x02, 0x00, 0x01, 0x2E, 0x63}));
  // Five silent rates, three attempts each, then the answer.
  EXPECT_EQ(sent.size(), 8u * (5 * 3 + 1));

  // No identification during the scan; the next transfer identifies the
  // unit found.
  EXPECT_EQ(b.identifications, 0);
  EXPECT_FALSE(b.master.identified());
  EXPECT_TRUE(b.master.readRegisters(0x2202, 1).ok());
  EXPECT_EQ(b.identifications, 1);
  EXPECT_EQ(b.lines[1]->sentLog[b.lines[1]->sentLog.size() - 8], 7);  // now at its own address
}

TEST(UnitDetection, NothingFoundPutsTheSettingsBack) {
  struct Case {
    const char* name;
    int unitPort;  // -1: no unit anywhere
    long unitBaud;
  };
  const Case cases[] = {
      {"no unit", -1, 9600},
      {"unit on Com4 only", 3, 9600},
      {"unit at a rate no one uses", 1, 19200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b;
    if (c.unitPort >= 0) b.putUnit(c.unitPort, c.unitBaud, 0, 5);
    b.master.markIdentified();  // a unit was identified before
    b.Com = 2;
    b.Jbus = 12.5f;
    b.Bauds = 3;
    int tries = 0;
    ConnectResult r = connectUnit(b.master, b.link(), [&](int, int) { ++tries; });
    EXPECT_FALSE(r.found);
    EXPECT_EQ(tries, 18);
    EXPECT_EQ(b.Com, 2);
    EXPECT_FLOAT_EQ(b.Jbus, 12.5f);
    EXPECT_EQ(b.Bauds, 3);
    EXPECT_EQ(b.lines[3]->opens, 0) << "Com4 is never searched";
    EXPECT_FALSE(b.master.identified());
    EXPECT_EQ(b.identifications, 0);
  }
}

TEST(UnitDetection, SearchLeavesTheLastCombinationWhenNothingAnswers) {
  Bench b;
  b.Jbus = 4.0f;
  b.master.markIdentified();
  EXPECT_EQ(unitDetection(b.master, b.link()).fault, ReplyFault::kNoAnswer);
  EXPECT_EQ(b.Com, 2);
  EXPECT_EQ(b.Bauds, 5);
  EXPECT_FLOAT_EQ(b.Jbus, 0.0f);
}

TEST(UnitDetection, AsksWhereTheUnitWasLastFoundFirst) {
  struct Case {
    const char* name;
    int savedCom;
    int savedBauds;
    int unitPort;  // -1: no unit
    long unitBaud;
    Tried firstTries;  // the start of the order
    int tries;
    std::pair<int, int> endsAt;  // Com, Bauds after the search
  };
  const Case cases[] = {
      {"still where it was", 1, 3, 1, 2400, {{1, 3}}, 1, {1, 3}},
      {"moved to another rate", 1, 3, 1, 9600, {{1, 3}, {0, 0}}, 1 + 6 + 5, {1, 5}},
      {"moved to a port before", 2, 5, 0, 300, {{2, 5}, {0, 0}}, 2, {0, 0}},
      {"saved on Com4, never searched", 3, 2, 0, 1200, {{0, 0}, {0, 1}}, 3, {0, 2}},
      {"saved rate out of range", 1, 9, 1, 300, {{0, 0}}, 7, {1, 0}},
      {"nothing anywhere", 1, 3, -1, 0, {{1, 3}, {0, 0}}, 18, {2, 5}},
      {"nothing, saved on the last", 2, 5, -1, 0, {{2, 5}, {0, 0}}, 18, {2, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b;
    if (c.unitPort >= 0) b.putUnit(c.unitPort, c.unitBaud, 0, 8);
    b.Com = c.savedCom;
    b.Bauds = c.savedBauds;
    Tried tried;
    const LinkResult found = unitDetection(
        b.master, b.link(), [&](int port, int baud) { tried.emplace_back(port, baud); });
    EXPECT_EQ(found.ok(), c.unitPort >= 0);
    ASSERT_GE(tried.size(), c.firstTries.size());
    EXPECT_EQ(
        Tried(tried.begin(), tried.begin() + static_cast<std::ptrdiff_t>(c.firstTries.size())),
        c.firstTries);
    EXPECT_EQ(static_cast<int>(tried.size()), c.tries);
    // no combination is asked twice
    Tried sorted = tried;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
    EXPECT_EQ(std::make_pair(b.Com, b.Bauds), c.endsAt);
  }
  // A device given for one run has no saved rate: scanned from the slowest.
  {
    Bench b;
    b.putUnit(1, 600, 0, 8);
    b.Com = 1;
    b.Bauds = 5;
    const int one[] = {1};
    Tried tried;
    ASSERT_TRUE(connectUnit(
                    b.master, b.link(), [&](int port, int baud) { tried.emplace_back(port, baud); },
                    one, DetectionStart::kScanOrder)
                    .found);
    EXPECT_EQ(tried, (Tried{{1, 0}, {1, 1}}));
  }
  // Found where it was: one exchange on the line, nothing anywhere else.
  Bench b;
  b.putUnit(2, 4800, 0, 8);
  b.Com = 2;
  b.Bauds = 4;
  ASSERT_TRUE(connectUnit(b.master, b.link()).found);
  EXPECT_EQ(b.lines[2]->sentLog.size(), 8u);
  EXPECT_EQ(b.lines[0]->opens + b.lines[1]->opens, 0);
}

TEST(UnitDetection, OnePortAtSixRates) {
  // flowdesk-cli's `detect --device` searches the one port it was given.
  Bench b;
  b.putUnit(2, 1200, 0, 33);
  const int ports[] = {2};
  Tried tried;
  ConnectResult r = connectUnit(
      b.master, b.link(), [&](int port, int baud) { tried.emplace_back(port, baud); }, ports);
  ASSERT_TRUE(r.found);
  EXPECT_EQ(r.address, 33);
  EXPECT_EQ(b.Com, 2);
  EXPECT_EQ(b.Bauds, 2);
  EXPECT_EQ(tried, (Tried{{2, 0}, {2, 1}, {2, 2}}));
  EXPECT_EQ(b.lines[0]->opens + b.lines[1]->opens + b.lines[3]->opens, 0);
}

}  // namespace
}  // namespace flowdesk
