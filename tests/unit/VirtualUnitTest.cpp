// SPDX-License-Identifier: GPL-3.0-or-later
// The unit's register contents and behaviour, driven in-process with a clock
// the tests move by hand.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <optional>
#include <random>
#include <string>

#include "UnitFrames.h"
#include "unit/UnitOptions.h"
#include "unit/VirtualUnit.h"

namespace flowdesk::unit {
namespace {

using testing::be16;
using testing::readRequest;
using testing::replyData;
using testing::writeRequest;

constexpr double kStart = 1705320000.0;  // mid-January, far from a clock change

float beFloat(const Bytes& d, std::size_t at) {
  return std::bit_cast<float>((static_cast<std::uint32_t>(be16(d, at)) << 16) | be16(d, at + 2));
}
std::int32_t be32(const Bytes& d, std::size_t at) {
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(be16(d, at)) << 16) |
                                   be16(d, at + 2));
}

// Settings for a test: the number of configurations and the logger; other
// fields keep their defaults unless a test changes them.
UnitSettings unitWith(int configs, int loggerType = 4, long records = 100, long size = 2000) {
  UnitSettings s;
  s.configs = configs;
  s.loggerType = loggerType;
  s.loggerRecords = records;
  s.loggerSize = size;
  return s;
}

class UnitFixture : public ::testing::Test {
 protected:
  void start(UnitSettings s = {}) {
    unit_.emplace(s, [this] { return now_; });
    address_ = static_cast<std::uint8_t>(s.address);
  }
  std::optional<Bytes> ask(const Bytes& request) { return unit_->handle(request); }
  // Data bytes of a good read; fails the test on anything else.
  Bytes read(std::uint16_t start, std::uint16_t count, std::uint8_t fn = 3) {
    const auto reply = ask(readRequest(address_, fn, start, count));
    EXPECT_TRUE(reply && testing::crcGood(*reply) && (*reply)[1] == fn)
        << "read of " << start << " failed";
    return reply ? replyData(*reply) : Bytes{};
  }
  void write(std::uint16_t start, const Bytes& data) {
    const auto reply = ask(writeRequest(address_, start, data));
    ASSERT_TRUE(reply);
    ASSERT_EQ((*reply)[1], 16) << "write of " << start << " refused";
  }
  std::uint8_t exceptionOf(const Bytes& request) {
    const auto reply = ask(request);
    if (!reply || reply->size() != 5 || !((*reply)[1] & 0x80)) return 0;
    return (*reply)[2];
  }

  double now_ = kStart;
  std::uint8_t address_ = 1;
  std::optional<VirtualUnit> unit_;
};

TEST_F(UnitFixture, BlocksHoldTheTableLayoutByteForByte) {
  UnitSettings s = unitWith(18, 9, 10, 1000);
  s.address = 7;
  s.unitCode = 3;
  start(s);
  struct Check {
    std::uint16_t start;
    std::uint16_t count;
    std::size_t byte;
    Bytes expected;
  };
  const Check checks[] = {
      // Configuration 0: probe 2, diameter 26.1 mm, KH 1.055, chord 1 length 282.8 mm,
      // Q max 10.0, pulse width index 11, relay 4 threshold 100.0.
      {0x1000, 62, 48, {2}},
      {0x1000, 62, 3, {0x00, 0x01, 0x05}},
      {0x1000, 62, 8, {0x04, 0x1F}},
      {0x1000, 62, 63, {0x00, 0x0B, 0x0C}},
      {0x1000, 62, 26, {0, 0, 0, 0x00, 0x00, 0x64}},
      {0x1000, 62, 50, {11}},
      {0x1000, 62, 60, {0x00, 0x03, 0xE8}},
      {0x1000, 62, 123, {0}},
      {0x1100, 62, 69, {0x01, 0xF4}},  // chord 1 Ci 0.500 in configuration 1
      // S2 is the trend scale inside configuration 0: Q min, Q max.
      {0x100D, 3, 0, {0, 0, 0, 0x00, 0x00, 0x64}},
      // Factory: address, SP texts, linearisation, contrast.
      {0x2200, 34, 5, {7}},
      {0x2200, 34, 6, {1}},
      {0x2200, 34, 7, {0x00, 0x00, 0x5A}},
      {0x2200, 34, 19, {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '}},
      {0x2200, 34, 38, {0x03, 0xE8}},
      {0x2200, 34, 58, {0x03, 0xE8, 0, 0, 10, 0, 50, 0, 0, 0}},
      {0x2202, 1, 0, {0, 7}},
      // Maker block: serial 01 94 00001, output points, variant.
      {0x3300, 6, 0, {0x01, 0x5E, 0x00, 0x01, 0, 0, 0x2A, 0xF8, 0xD6, 0xD8, 0x01, 0x00}},
      // Logger settings: 5 mn, point 1, 9 parameters.
      {0x3100, 6, 0, {6, 1, 1}},
      // S1: flow unit, chords, KH mode, logger fitted, probe, logger size, versions.
      {0x0000, 33, 18, {4, 1, 0, 1, 0, 2}},
      {0x0000, 33, 32, {0x03, 0xE8}},  // 1000 records of 9 parameters
      {0x0000, 33, 40, {'A', 'F', 'F', ' ', '2', '.', '1', '4', ' ', '0', '3', '/', '0', '6'}},
      {0x0000, 33, 54, {'V', 'O', 'V', ' ', '3', '.', '2', '1', '.', 'b'}},
      {0x0000, 33, 64, {0}},
      {0x000A, 1, 0, {0, 1}},
      {0x0010, 1, 0, {0x03, 0xE8}},
      {0x0117, 1, 0, {0, 10}},
      // Probe catalogue: "Insér.1M" in Windows-1252 at entry 2, a clamp-on angle
      // at entry 7, the unit code in the high byte of 0x5132.
      {0x5000, 100, 20, {'I', 'n', 's', 0xE9, 'r', '.', '1', 'M', 0, 0}},
      {0x5000, 100, 78, {0x0E, 0x42}},
      {0x5000, 100, 0, {'S', 'P', ' ', 'N', 0xB0, '1', 0, 0, 0, 0}},
      {0x5100, 51, 40, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {0x5100, 51, 100, {3, 0}},
  };
  for (const Check& c : checks) {
    const auto data = read(c.start, c.count);
    ASSERT_EQ(data.size(), 2u * c.count) << std::hex << c.start;
    const Bytes got(data.begin() + static_cast<long>(c.byte),
                    data.begin() + static_cast<long>(c.byte + c.expected.size()));
    EXPECT_EQ(got, c.expected) << "block 0x" << std::hex << c.start << " byte " << std::dec
                               << c.byte;
  }
}

TEST_F(UnitFixture, ModelWordAndS1FollowTheSettings) {
  struct Case {
    UnitSettings settings;
    unsigned modelLow, loggerSize, echoByte;
  };
  const Case cases[] = {
      {unitWith(2), 0, 0, 0},
      {unitWith(18, 4, 100, 3000), 1, 3000, 0},
      {unitWith(18, 9, 100, 2000), 1, 2000, 1},
  };
  for (Case c : cases) {
    if (c.echoByte) c.settings.echoKinds = 2;
    start(c.settings);
    EXPECT_EQ(read(0x000A, 1).at(1), c.modelLow);
    EXPECT_EQ(be16(read(0x0010, 1), 0), c.loggerSize);
    EXPECT_EQ(read(0x0000, 33).at(64), c.echoByte);
  }
}

TEST_F(UnitFixture, MovingValuesAreConsistent) {
  start();
  const auto m1 = read(0x0100, 87);
  const double flow = beFloat(m1, 2);      // m3/h by default
  const double velocity = beFloat(m1, 6);  // m/s
  const double area = M_PI * 0.0261 * 0.0261 / 4;
  EXPECT_GT(flow, 1.0);
  EXPECT_LT(flow, 10.0);
  EXPECT_NEAR(velocity, flow / 3600 / area, 1e-3 * velocity);
  const double sound = beFloat(m1, 32);
  EXPECT_GT(sound, 1400);
  EXPECT_LT(sound, 1600);
  EXPECT_NEAR(beFloat(m1, 66), beFloat(m1, 58) - beFloat(m1, 62), 1e-3);  // DT = T1 - T2
  for (int i = 0; i < 100; ++i) {
    const auto sample = static_cast<std::int8_t>(m1[74 + i]);
    EXPECT_GE(sample, 0);
    EXPECT_LE(sample, 40);
  }
  const auto m2 = read(0x0200, 52);
  EXPECT_GT(m2[2], 30);  // gain of chord 1
  EXPECT_EQ(m2[3], 0);   // chord 2 is not in use
  const double transit = beFloat(m2, 8 + 4);
  EXPECT_NEAR(transit, 282.8e-3 / beFloat(m2, 8 + 12) * 1e6, 0.5);
  EXPECT_GT(beFloat(m2, 8), 0.0);  // delta-t follows a positive flow
  EXPECT_EQ(beFloat(m2, 8 + 16), 0.0f);

  // Totalizer 1 counts the volume that flowed: whole part in M1, thousandths in S1.
  auto total = [&] { return be32(read(0x0100, 87), 10) + be32(read(0x0000, 33), 0) / 1000.0; };
  const double before = total();
  now_ += 600;
  const double after = total();
  EXPECT_NEAR(after - before, flow / 3600 * 600, 0.35 * flow / 3600 * 600);
  // The trend is a history: moving on by one graph period shifts it by one sample.
  const auto later = read(0x0100, 87);
  now_ += 1;
  const auto shifted = read(0x0100, 87);
  EXPECT_TRUE(std::equal(later.begin() + 75, later.begin() + 174, shifted.begin() + 74));
}

TEST_F(UnitFixture, OptionsGiveWhatARealUnitVaries) {
  // The command line as typed, then what the unit serves: chords with a
  // gain (M2), the status word (M1 0x010F), the KH type of configuration 0.
  struct Case {
    std::vector<std::string> args;
    int chords;
    bool calorimetry;
    int khType;
    std::uint16_t always;  // status bits set at every instant
  } cases[] = {
      {{}, 1, false, 0, 0},
      {{"--chords", "6", "--calorimetry", "--kh", "manual", "--faults-shown", "flow,chords"},
       6,
       true,
       1,
       0x3F01},
      {{"--chords=3", "--kh=auto", "--faults-shown", "battery,chord5,calorie"},
       3,
       false,
       0,
       0x1044},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.empty() ? "defaults" : c.args.front());
    std::string error;
    const auto options = parseUnitOptions(c.args, error);
    ASSERT_TRUE(options) << error;
    start(options->unit);
    EXPECT_EQ(read(0x1000, 62)[cfg::kKhType], c.khType);
    for (int instant = 0; instant < 20; ++instant) {
      now_ += 7;
      const auto m1 = read(0x0100, 87);
      const std::uint16_t status = static_cast<std::uint16_t>(m1[30] << 8 | m1[31]);
      EXPECT_EQ(status & c.always, c.always);
      EXPECT_EQ((status & status::kNoCalorimetry) == 0, c.calorimetry);
      const auto m2 = read(0x0200, 52);
      for (int k = 0; k < 6; ++k) EXPECT_EQ(m2[2 + k] > 0, k < c.chords) << k;
    }
  }
  for (const std::vector<std::string>& bad : {std::vector<std::string>{"--chords", "7"},
                                              {"--kh", "both"},
                                              {"--faults-shown", "flow,x"},
                                              {"--faults-shown", "chord7"},
                                              {"--calorimetry=1"},
                                              {"--steady=1"},
                                              {"--chord-sos", "7:1"},
                                              {"--chord-sos", "1:"},
                                              {"--chord-gain", "2:3dB"},
                                              {"--chord-noise", "2:-1"}}) {
    std::string error;
    EXPECT_FALSE(parseUnitOptions(bad, error)) << bad.front();
    EXPECT_NE(error.find(bad.front().substr(0, bad.front().find('='))), std::string::npos) << error;
  }
}

TEST_F(UnitFixture, ClockRunsFromWhatWasWritten) {
  start();
  write(0x2301, {4, 3, 5, 14, 7, 9});  // 5 March 2004 14:07:09
  // Month, year / hour, day / second, minute.
  EXPECT_EQ(Bytes(read(0x0114, 3)), (Bytes{3, 4, 14, 5, 9, 7}));
  now_ += 61;
  EXPECT_EQ(read(0x0114, 3), (Bytes{3, 4, 14, 5, 10, 8}));
  now_ += 10 * 3600;  // past midnight
  EXPECT_EQ(read(0x0114, 3), (Bytes{3, 4, 0, 6, 10, 8}));
  EXPECT_EQ(exceptionOf(writeRequest(1, 0x2301, {4, 2, 30, 0, 0, 0})), 3);  // 30 February
  EXPECT_EQ(exceptionOf(writeRequest(1, 0x2301, {4, 13, 1, 0, 0, 0})), 3);
  EXPECT_EQ(read(0x0114, 3).at(0), 3);  // a refused write changes nothing
}

TEST_F(UnitFixture, RereadFlagCycle) {
  start();
  auto flags = [&] { return std::pair(be16(read(0x0100, 87), 0), be16(read(0x0200, 52), 0)); };
  EXPECT_EQ(flags(), std::pair(1u, 1u));  // a freshly started unit
  read(0x0000, 33);
  EXPECT_EQ(flags(), std::pair(1u, 1u));  // S2 not read yet
  read(0x100D, 3);
  EXPECT_EQ(flags(), std::pair(0u, 0u));
  write(0x3300, {1, 2, 0, 3, 0, 0, 0x2A, 0xF8, 0xD6, 0xD8, 1, 0});
  EXPECT_EQ(flags(), std::pair(0u, 0u));  // the maker block is not in S1
  write(0x1000, {2, 3});                  // mounting and chords of configuration 0
  EXPECT_EQ(flags(), std::pair(1u, 1u));
  EXPECT_EQ(read(0x0000, 33).at(19), 3);  // S1 shows the new chord count
  read(0x100D, 3);
  EXPECT_EQ(flags(), std::pair(0u, 0u));
  write(0x2200 + 30, {0, 0});  // factory block
  EXPECT_EQ(flags(), std::pair(1u, 1u));
}

TEST_F(UnitFixture, WritesAreStoredAndReadBack) {
  start(unitWith(18));
  struct Case {
    std::uint16_t start;
    Bytes data;
  };
  Bytes config(124);
  for (int i = 0; i < 124; ++i) config[i] = static_cast<std::uint8_t>(i * 7 + 1);
  const Case cases[] = {
      {0x1000 + 0x100 * 17, config},
      {0x1500 + 5, {0x12, 0x34}},
      {0x2200, Bytes(68, 0x01)},
      {0x3300, {2, 50, 0xFF, 0xFF, 9, 9, 0, 1, 0xFF, 0xFF, 6, 0}},
      {0x3100, {14, 255, 0, 38, 0, 1, 2, 3, 4, 5, 6, 0}},
      {0x2320, {5, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    write(c.start, c.data);
    EXPECT_EQ(read(c.start, static_cast<std::uint16_t>(c.data.size() / 2)), c.data)
        << std::hex << c.start;
  }
  EXPECT_EQ(unit_->echoCode(), 5);
  EXPECT_EQ(unit_->stored().configs[17][1], config[1]);
}

TEST_F(UnitFixture, ExceptionsForWhatIsNotServed) {
  start(unitWith(2));
  struct Case {
    const char* what;
    Bytes request;
    std::uint8_t code;
  };
  Bytes badCount = writeRequest(1, 0x3300, {1, 2, 3, 4});
  badCount[6] = 3;  // byte count that does not match the register count
  badCount = testing::withCrc(Bytes(badCount.begin(), badCount.end() - 2));
  const Case cases[] = {
      {"function 6", testing::withCrc({1, 6, 0x33, 0x00, 0x00, 0x01}), 1},
      {"function 4 without a logger", readRequest(1, 4, 0, 1), 1},
      {"unserved register", readRequest(1, 3, 0x0400, 1), 2},
      {"past the end of S1", readRequest(1, 3, 0x0000, 34), 2},
      {"configuration 2 of 2", readRequest(1, 3, 0x1200, 62), 2},
      {"across two blocks", readRequest(1, 3, 0x1030, 0x20), 2},
      {"write to M1", writeRequest(1, 0x0100, {0, 0}), 2},
      {"write to the catalogue", writeRequest(1, 0x5000, {0, 0}), 2},
      {"echo part too long", readRequest(1, 3, 0x5224, 93), 2},
      {"count 0", readRequest(1, 3, 0x0000, 0), 3},
      {"count 126", readRequest(1, 3, 0x5000, 126), 3},
      {"byte count mismatch", badCount, 3},
      {"logger type 2", writeRequest(1, 0x3100, {0, 0, 2, 0}), 3},
      {"logged parameter 39", writeRequest(1, 0x3102, {0, 39}), 3},
  };
  for (const Case& c : cases) EXPECT_EQ(exceptionOf(c.request), c.code) << c.what;
  start(unitWith(18, 4));
  EXPECT_EQ(exceptionOf(readRequest(1, 4, 0, 9)), 3) << "9 small records do not fit a reply";
  start(unitWith(18, 9));
  EXPECT_EQ(exceptionOf(readRequest(1, 4, 0, 5)), 3) << "5 large records do not fit a reply";
}

TEST_F(UnitFixture, AddressingAndCrc) {
  UnitSettings s;
  s.address = 9;
  start(s);
  struct Case {
    const char* what;
    Bytes request;
    bool answered;
    std::uint8_t replyAddress;
  };
  Bytes corrupt = readRequest(9, 3, 0x2202, 1);
  corrupt[3] ^= 0x01;
  const Case cases[] = {
      {"own address", readRequest(9, 3, 0x2202, 1), true, 9},
      {"address 0", readRequest(0, 3, 0x2202, 1), true, 9},
      {"another address", readRequest(1, 3, 0x2202, 1), false, 0},
      {"bad CRC", corrupt, false, 0},
      {"too short", {9, 3}, false, 0},
  };
  for (const Case& c : cases) {
    const auto reply = ask(c.request);
    ASSERT_EQ(reply.has_value(), c.answered) << c.what;
    if (reply) {
      EXPECT_EQ((*reply)[0], c.replyAddress) << c.what;
    }
  }
  // A factory write moves the unit to the address it holds.
  const auto reply = ask(writeRequest(9, 0x2202, {0, 12}));
  ASSERT_TRUE(reply);
  EXPECT_EQ((*reply)[0], 9);  // the write itself is answered at the address it was sent to
  EXPECT_EQ(unit_->address(), 12);
  EXPECT_FALSE(ask(readRequest(9, 3, 0x2202, 1)));
  EXPECT_TRUE(ask(readRequest(12, 3, 0x2202, 1)));
}

TEST_F(UnitFixture, LoggerRecordsAndEmptyMark) {
  struct Case {
    int type;
    int size;
    int perRequest;
  };
  for (const Case c : {Case{4, 31, 8}, Case{9, 62, 4}}) {
    start(unitWith(18, c.type, 5));
    const auto reply = ask(readRequest(1, 4, 0, 1));
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[2], c.size);
    const auto all = read(0, static_cast<std::uint16_t>(c.perRequest), 4);
    ASSERT_EQ(all.size(), static_cast<std::size_t>(c.size * c.perRequest));
    auto rec = [&](int i) {
      return Bytes(all.begin() + i * c.size, all.begin() + (i + 1) * c.size);
    };
    for (int i = 0; i < c.perRequest; ++i) EXPECT_EQ(rec(i)[3] == 0x80, i >= 5) << i;
    const auto r0 = rec(0), r1 = rec(1);
    EXPECT_EQ(r0[0], 1);                                                    // point number
    EXPECT_EQ((r0[1] >> 4) & 7, 4);                                         // flow unit m3/h
    EXPECT_EQ(r0[2], 24);                                                   // 2024
    EXPECT_EQ((r1[4] * 60 + r1[5] - r0[4] * 60 - r0[5] + 1440) % 1440, 5);  // 5 mn apart
    EXPECT_EQ(r0[13], 1);            // slot 0: totalizer 1, a number ...
    EXPECT_EQ(r0[18] & 0x80, 0x80);  // ... held as an integer
    EXPECT_EQ(r0[19], 8);            // slot 1: velocity, a real
    EXPECT_EQ(r0[24] & 0x80, 0);
    EXPECT_GT(beFloat(r0, 20), 0.0f);
    EXPECT_EQ(r0[25], 0xC0 | 20);           // slot 2: the status word
    EXPECT_GE(be32(r1, 14), be32(r0, 14));  // the totalizer does not go back
    EXPECT_GT(beFloat(r0, 8), 0.0f);        // average flow
  }
  // The last record's date and flow are in M1; past the end, empty records.
  const auto m1 = read(0x0100, 87);
  EXPECT_EQ(be16(m1, 46), 5u);
  const auto tail = read(5, 1, 4);
  EXPECT_EQ(tail[3], 0x80);
}

TEST_F(UnitFixture, LoggerGrowsEveryPeriodAndCommandsTakeEffect) {
  start(unitWith(18, 4, 3));
  now_ += 299;
  EXPECT_EQ(be16(read(0x0117, 1), 0), 3u);
  now_ += 2;
  EXPECT_EQ(be16(read(0x0117, 1), 0), 4u);
  const auto newest = read(3, 1, 4);
  EXPECT_EQ(newest[25], 0xC0 | 20);
  EXPECT_EQ(be16(newest, 28) & 0x10, 0x10u) << "first record after power-up";

  write(0x2306, {0, 0, 0, 0, 0, 0, 0, 1});  // logger erase
  EXPECT_EQ(be16(read(0x0117, 1), 0), 0u);
  EXPECT_EQ(read(0, 1, 4).at(3), 0x80);

  write(0x2306, {0, 1, 0, 0, 0, 0, 0, 0});  // reset totalizer 1 only
  const auto m1 = read(0x0100, 87);
  EXPECT_EQ(be32(m1, 10), 0);
  EXPECT_GT(be32(m1, 22), 1000);  // the volume counter keeps counting

  // A new record type empties the memory and halves its size.
  write(0x3100, {6, 1, 1, 1});
  EXPECT_EQ(be16(read(0x0010, 1), 0), 1000u);
  now_ += 301;
  const auto reply = ask(readRequest(1, 4, 0, 1));
  ASSERT_TRUE(reply);
  EXPECT_EQ((*reply)[2], 62);
}

TEST_F(UnitFixture, EchoPartsFormOnePicturePerScreen) {
  start();
  const int sizes[] = {105, 105, 105, 105, 92};
  auto picture = [&] {
    Bytes image;
    for (int p = 0; p < 5; ++p) {
      const auto part =
          read(static_cast<std::uint16_t>(0x5220 + p), static_cast<std::uint16_t>(sizes[p]));
      EXPECT_EQ(part.size(), 2u * sizes[p]);
      image.insert(image.end(), part.begin(), part.end());
      now_ += 0.5;  // parts are read one tick apart
    }
    return image;
  };
  write(0x2320, {1, 0, 0, 0});
  const auto p1 = picture();
  ASSERT_EQ(p1.size(), 1024u);
  write(0x2320, {2, 0, 0, 0});
  const auto p2 = picture();
  EXPECT_NE(p1, p2);
  auto dark = [](const Bytes& image) {
    int n = 0;
    for (auto b : image) n += std::popcount(b);
    return n;
  };
  EXPECT_GT(dark(p1), 200);  // a trace, a scale and a title
  EXPECT_LT(dark(p1), 3000);
  // The scale's axis is the full-width line at row 56 (band 7, bit 0).
  for (int x = 0; x < 128; ++x) EXPECT_TRUE(p1[7 * 128 + x] & 1) << x;
}

}  // namespace
}  // namespace flowdesk::unit

namespace flowdesk::unit {
namespace {

// Whatever a master sends, the unit answers with a well-formed frame or not
// at all: a wrong count or address must never read or write past a block.
TEST(VirtualUnitRobustness, AnyRequestGivesAWellFormedReplyOrNone) {
  double now = kStart;
  VirtualUnit unit(unitWith(18, 9, 50, 100), [&] { return now; });
  std::mt19937 random(7);
  auto byte = [&] { return static_cast<std::uint8_t>(random() & 0xFF); };
  // Starts near the blocks, so most requests hit or graze one.
  const std::uint16_t starts[] = {0x0000, 0x000A, 0x0100, 0x0200, 0x1000, 0x100D, 0x1100,
                                  0x2100, 0x2200, 0x2301, 0x2306, 0x2320, 0x3100, 0x3300,
                                  0x5000, 0x5100, 0x5220, 0x5224, 0xFFFF};
  for (int i = 0; i < 20000; ++i) {
    const std::uint8_t fn = std::array<std::uint8_t, 5>{3, 4, 16, 16, byte()}[random() % 5];
    std::uint16_t start = starts[random() % std::size(starts)];
    start = static_cast<std::uint16_t>(start + static_cast<int>(random() % 140) - 70);
    const std::uint16_t count =
        static_cast<std::uint16_t>(random() % 3 == 0 ? byte() : random() % 130);
    Bytes f{static_cast<std::uint8_t>(random() % 2), fn,
            static_cast<std::uint8_t>(start >> 8),   static_cast<std::uint8_t>(start),
            static_cast<std::uint8_t>(count >> 8),   static_cast<std::uint8_t>(count)};
    if (fn == 16) {
      const int n = random() % 4 == 0 ? byte() : 2 * count;
      f.push_back(static_cast<std::uint8_t>(n));
      for (int k = 0; k < (random() % 8 == 0 ? static_cast<int>(byte()) : n); ++k)
        f.push_back(byte());
    }
    now += 0.37;
    const int address = unit.address();  // a factory write may change it
    const auto reply = unit.handle(testing::withCrc(f));
    if (f[0] != 0 && f[0] != address) {
      EXPECT_FALSE(reply);
      continue;
    }
    ASSERT_TRUE(reply) << i;
    ASSERT_TRUE(testing::crcGood(*reply)) << i;
    if ((*reply)[1] & 0x80) {
      ASSERT_EQ(reply->size(), 5u);
      EXPECT_EQ((*reply)[1], fn | 0x80);
    } else if (fn == 16) {
      ASSERT_EQ(reply->size(), 8u);
    } else {
      ASSERT_EQ(reply->size(), 5u + (*reply)[2]) << i;
      if (fn == 3) {
        EXPECT_EQ((*reply)[2], 2 * count) << i;
      }
    }
  }
}

}  // namespace
}  // namespace flowdesk::unit
