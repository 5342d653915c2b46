// SPDX-License-Identifier: GPL-3.0-or-later
// The helpers the soak benchmarks judge by: the fault lists drawn for the
// logger soak, the unit's trace read back into what it served, the checks
// of a killed writer's recording or logger file, the temporaries it left,
// and the logger file rebuilt from two units' traces. A soak whose judge is
// wrong prints good figures for a broken program, so each is tried here on
// the cases it must tell apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "bench/SoakSupport.h"
#include "support/Frames.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::TempDir;
using testing::withCrc;

std::string hex(const Bytes& bytes) {
  std::string text;
  char b[4];
  for (std::uint8_t v : bytes) {
    std::snprintf(b, sizeof b, " %02X", v);
    text += b;
  }
  return text;
}

// A trace line as flowdesk-unit writes it.
std::string line(double t, const std::string& text) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "[%10.3f] ", t);
  return stamp + text + "\n";
}

void writeText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

Bytes request(std::uint8_t function, std::uint16_t first, std::uint16_t count) {
  return withCrc({1, function, static_cast<std::uint8_t>(first >> 8),
                  static_cast<std::uint8_t>(first & 0xFF), static_cast<std::uint8_t>(count >> 8),
                  static_cast<std::uint8_t>(count & 0xFF)});
}

Bytes readReply(std::uint8_t function, const Bytes& data) {
  Bytes frame{1, function, static_cast<std::uint8_t>(data.size())};
  frame.insert(frame.end(), data.begin(), data.end());
  return withCrc(frame);
}

// A logger record of 31 bytes with a date that is one; `tag` makes it unique.
Bytes loggerRecord(std::uint8_t tag) {
  Bytes r(kLoggerRecordSize4, 0);
  r[1] = 0x05;  // May
  r[2] = 24;
  r[3] = 15;
  r[4] = 10;
  r[5] = 30;
  r[6] = tag % 60;
  r[8] = tag;
  return r;
}

Bytes loggerReply(const std::vector<Bytes>& records) {
  Bytes data;
  for (const Bytes& r : records) data.insert(data.end(), r.begin(), r.end());
  return readReply(4, data);
}

TEST(SoakSupport, ListedFaultsAreTheUnitsOwnDrawAndStartWhereAsked) {
  for (std::uint32_t seed : {1u, 7u, 424242u}) {
    const std::vector<std::string> drawn = bench::plannedFaults(bench::percentRules(), seed, 3000);
    ASSERT_EQ(drawn.size(), 3000u);
    EXPECT_EQ(bench::plannedFaults(bench::listedRules(1, 3000, seed), seed, 3000), drawn) << seed;
    std::set<std::string> kinds(drawn.begin(), drawn.end());
    EXPECT_EQ(kinds.size(), bench::kFaultKinds.size() + 1) << "every kind, and none";
  }
  const std::vector<std::string> late =
      bench::plannedFaults(bench::listedRules(500, 900, 3), 3, 1000);
  ASSERT_EQ(late.size(), 1000u);
  long before = 0, inside = 0, after = 0;
  for (std::size_t i = 0; i < late.size(); ++i) {
    if (late[i].empty()) continue;
    (i + 1 < 500 ? before : i + 1 <= 900 ? inside : after) += 1;
  }
  EXPECT_EQ(before, 0);
  EXPECT_EQ(after, 0);
  EXPECT_GT(inside, 150);  // about half of 401 requests
}

TEST(SoakSupport, TheTraceSaysWhatWasServedForWhichRequest) {
  TempDir dir;
  const Bytes m1 = request(3, 0x0100, 1), m2 = request(3, 0x0200, 1);
  const Bytes good = readReply(3, {0x00, 0x07});
  Bytes spoiled = readReply(3, {0x00, 0x08});
  spoiled[spoiled.size() - 1] ^= 0xFF;
  spoiled[spoiled.size() - 2] ^= 0xFF;
  Bytes stranger = request(3, 0x0100, 1);
  stranger[0] = 5;
  std::string text;
  text += line(0.010, "rx" + hex(m1));
  text += line(0.030, "tx" + hex(good));
  text += line(0.100, "rx" + hex(m2));
  text += line(0.101, "request 2: fault crc");
  text += line(0.110, "rx dropped while answering:" + hex(m2));
  text += line(0.130, "tx" + hex(spoiled));
  text += line(0.200, "rx" + hex(stranger));
  text += line(0.201, "no answer (bad CRC or another address)");
  text += line(0.300, "rx" + hex(m1));
  text += line(0.301, "request 3: fault drop");
  text += line(0.400, "rx incomplete, dropped: 01 03");
  text += line(0.500, "rx" + hex(m2));
  text += line(0.501, "ignored: line at 4800 baud, unit at 9600");
  writeText(dir.file("unit.trace"), text);

  const bench::UnitTrace trace = bench::readUnitTrace(dir.file("unit.trace"));
  EXPECT_EQ(trace.requests, 3);
  EXPECT_EQ(trace.faultCount, 2);
  EXPECT_EQ(trace.firstFaultRequest, 2);
  EXPECT_EQ(trace.faults, (std::map<std::string, long>{{"crc", 1}, {"drop", 1}}));
  ASSERT_EQ(trace.replies.size(), 2u);
  EXPECT_EQ(trace.replies[0].request, m1);
  EXPECT_EQ(trace.replies[0].reply, good);
  EXPECT_TRUE(bench::keepsBytes(trace.replies[0].fault));
  EXPECT_EQ(trace.replies[1].request, m2);
  EXPECT_EQ(trace.replies[1].reply, spoiled);
  EXPECT_FALSE(bench::keepsBytes(trace.replies[1].fault));
}

TEST(SoakSupport, AKilledWritersRecordingIsWholeOnlyWithWholeRecords) {
  TempDir dir;
  // A measurement file of three records of the unit's four frame sizes.
  Bytes mes = measurementHeaderBytes(IdentificationCache{});
  for (int r = 0; r < 3; ++r) {
    for (std::uint16_t size : kMeasurementFrameSizes) {
      const Bytes frame = readReply(3, Bytes(size - 5u, static_cast<std::uint8_t>(r)));
      mes.insert(mes.end(), frame.begin(), frame.end());
    }
  }
  Bytes badCrc = mes;
  badCrc[badCrc.size() - 200] ^= 0x01;  // inside the last record's M1 frame
  // A logger file of four records.
  Bytes log{static_cast<std::uint8_t>(kLoggerRecordSize4 + 3), 0};
  for (std::uint8_t r = 0; r < 4; ++r) {
    const Bytes rec = loggerRecord(r);
    log.insert(log.end(), {1, 4, static_cast<std::uint8_t>(kLoggerRecordSize4)});
    log.insert(log.end(), rec.begin(), rec.end());
  }
  Bytes emptyMark = log;
  emptyMark[2 + 3 * 34 + 3 + 3] = kEmptyRecordDay;
  Bytes wrongFunction = log;
  wrongFunction[2 + 34 + 1] = 3;

  const auto cut = [](Bytes b, std::size_t n) {
    b.resize(n);
    return b;
  };
  const struct {
    const char* name;
    bool logger;
    Bytes bytes;
    bool whole;
    long long records;
  } cases[] = {
      {"whole recording", false, mes, true, 3},
      {"recording cut inside a record", false, cut(mes, mes.size() - 10), false, 2},
      {"recording cut inside its header", false, cut(mes, 20), false, 0},
      {"recording of no byte", false, {}, false, 0},
      {"recording with a frame that fails its CRC", false, badCrc, false, 3},
      {"whole logger file", true, log, true, 4},
      {"logger file cut inside a record", true, cut(log, log.size() - 1), false, 3},
      {"logger file with the empty mark stored", true, emptyMark, false, 4},
      {"logger file with another function stored", true, wrongFunction, false, 4},
  };
  for (const auto& c : cases) {
    const std::string path = dir.file(c.logger ? "f.log" : "f.mes");
    ASSERT_TRUE(bench::writeBytes(path, c.bytes));
    const bench::RecordFileCheck got =
        c.logger ? bench::checkLoggerFile(path) : bench::checkMeasurementFile(path);
    EXPECT_TRUE(got.exists) << c.name;
    EXPECT_EQ(got.whole, c.whole) << c.name << ": " << got.problem;
    if (got.whole) {
      EXPECT_EQ(got.records, c.records) << c.name;
    }
  }
  EXPECT_FALSE(bench::checkMeasurementFile(dir.file("none.mes")).exists);
  EXPECT_FALSE(bench::checkLoggerFile(dir.file("none.log")).exists);
}

TEST(SoakSupport, OnlyAWholeFileWritersTemporariesAreStray) {
  TempDir dir;
  const struct {
    const char* name;
    bool stray;
  } cases[] = {
      {".soak.eta.a1B2c3", true}, {".soak.prn.XyZ789", true}, {"soak.eta", false},
      {"soak.eta.abcdef", false}, {".soak.eta.ab", false},    {".soak.eta.ab-d12", false},
      {".cli-err", false},        {".config", false},
  };
  std::vector<std::string> want;
  for (const auto& c : cases) {
    writeText(dir.file(c.name), "x");
    if (c.stray) want.push_back(c.name);
  }
  std::vector<std::string> got = bench::strayTemporaries(dir.path());
  std::sort(got.begin(), got.end());
  std::sort(want.begin(), want.end());
  EXPECT_EQ(got, want);
}

TEST(SoakSupport, TheServedLoggerFileTakesEachRecordFromTheLastWholeReply) {
  TempDir dir;
  // The first unit serves records 0 to 15 and goes; the second, whose logger
  // differs, serves 8 to 15 again and the end. A spoiled reply counts for
  // nothing.
  std::vector<Bytes> a, b;
  for (std::uint8_t i = 0; i < 16; ++i) a.push_back(loggerRecord(i));
  for (std::uint8_t i = 0; i < 18; ++i)
    b.push_back(loggerRecord(static_cast<std::uint8_t>(100 + i)));
  Bytes ending(kLoggerRecordSize4, 0);
  ending[3] = kEmptyRecordDay;
  const auto slice = [](const std::vector<Bytes>& v, std::size_t from, std::size_t n) {
    return std::vector<Bytes>(v.begin() + static_cast<std::ptrdiff_t>(from),
                              v.begin() + static_cast<std::ptrdiff_t>(from + n));
  };
  std::vector<Bytes> last = slice(b, 16, 2);
  last.insert(last.end(), 6, ending);
  Bytes spoiled = loggerReply(slice(b, 0, 8));
  spoiled.back() ^= 0xFF;
  writeText(dir.file("before.trace"), line(1, "rx" + hex(request(4, 0, 8))) +
                                          line(2, "tx" + hex(loggerReply(slice(a, 0, 8)))) +
                                          line(3, "rx" + hex(request(4, 8, 8))) +
                                          line(4, "tx" + hex(loggerReply(slice(a, 8, 8)))));
  writeText(dir.file("after.trace"),
            line(1, "rx" + hex(request(4, 8, 8))) +
                line(2, "tx" + hex(loggerReply(slice(b, 8, 8)))) +
                line(3, "rx" + hex(request(4, 0, 8))) + line(4, "request 2: fault crc") +
                line(5, "tx" + hex(spoiled)) + line(6, "rx" + hex(request(4, 16, 8))) +
                line(7, "tx" + hex(loggerReply(last))));

  Bytes want{static_cast<std::uint8_t>(kLoggerRecordSize4 + 3), 0};
  const auto store = [&](const Bytes& rec) {
    want.insert(want.end(), {1, 4, static_cast<std::uint8_t>(kLoggerRecordSize4)});
    want.insert(want.end(), rec.begin(), rec.end());
  };
  for (std::size_t i = 0; i < 8; ++i) store(a[i]);
  for (std::size_t i = 8; i < 18; ++i) store(b[i]);
  EXPECT_EQ(bench::servedLoggerFile({dir.file("before.trace"), dir.file("after.trace")},
                                    dir.file("served.log")),
            want);
}

}  // namespace
}  // namespace flowdesk
