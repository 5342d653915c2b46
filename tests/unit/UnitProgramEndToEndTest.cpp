// SPDX-License-Identifier: GPL-3.0-or-later
// The flowdesk-unit program on its pseudo-terminal, spoken to with raw frames.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "UnitFrames.h"
#include "UnitProcess.h"
#include "link/JbusMaster.h"
#include "unit/LineTiming.h"

namespace flowdesk::unit::testing {
namespace {

std::string tempPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() /
          ("flowdesk-unit-" + std::to_string(::getpid()) + "-" + name))
      .string();
}

TEST(UnitProgram, ReadsGiveTheTableLayout) {
  UnitProcess unit({"--configs", "18", "--address", "4", "--unit-code", "5"});
  ASSERT_FALSE(unit.device().empty());
  Line line(unit.device(), 9600);
  ASSERT_TRUE(line.ok());
  struct Case {
    const char* block;
    std::uint16_t start, count;
    std::size_t byte;  // in the data
    Bytes expected;
  };
  const Case cases[] = {
      {"S1", 0x0000, 33, 18, {4, 1, 0, 1, 0, 2}},
      {"S2", 0x100D, 3, 3, {0, 0, 0x64}},
      {"M1", 0x0100, 87, 0, {0, 0}},  // S1 and S2 were just read
      {"M2", 0x0200, 52, 0, {0, 0}},
      {"configuration 17", 0x2100, 62, 1, {1, 0, 0x00, 0x01, 0x05, 4}},
      {"factory", 0x2200, 34, 4, {0, 4, 1}},
      {"maker", 0x3300, 6, 6, {0x2A, 0xF8, 0xD6, 0xD8, 1, 0}},
      {"logger settings", 0x3100, 6, 0, {6, 1, 0}},
      {"catalogue B", 0x5100, 51, 100, {5, 0}},
      {"echo part 1", 0x5220, 105, 0, {}},
      {"echo part 5", 0x5224, 92, 0, {}},
  };
  for (const Case& c : cases) {
    const auto r = line.transact(readRequest(0, 3, c.start, c.count));
    ASSERT_EQ(r.bytes.size(), 5u + 2 * c.count) << c.block;
    EXPECT_TRUE(crcGood(r.bytes)) << c.block;
    EXPECT_EQ(r.bytes[0], 4) << c.block << ": a reply at address 0 names the unit";
    EXPECT_EQ(r.bytes[2], 2 * c.count) << c.block;
    const auto data = replyData(r.bytes);
    EXPECT_EQ(Bytes(data.begin() + static_cast<long>(c.byte),
                    data.begin() + static_cast<long>(c.byte + c.expected.size())),
              c.expected)
        << c.block;
  }
}

TEST(UnitProgram, WritesAreKeptAndRaiseTheRereadFlag) {
  UnitProcess unit({});
  Line line(unit.device(), 9600);
  auto reread = [&] {
    return be16(replyData(line.transact(readRequest(1, 3, 0x0100, 87)).bytes), 0);
  };
  line.transact(readRequest(1, 3, 0x0000, 33));
  line.transact(readRequest(1, 3, 0x100D, 3));
  EXPECT_EQ(reread(), 0u);
  Bytes config(124);
  for (std::size_t i = 0; i < config.size(); ++i) config[i] = static_cast<std::uint8_t>(i);
  const auto echo = line.transact(writeRequest(1, 0x1100, config)).bytes;
  EXPECT_EQ(echo, withCrc({1, 16, 0x11, 0x00, 0x00, 62}));
  EXPECT_EQ(replyData(line.transact(readRequest(1, 3, 0x1100, 62)).bytes), config);
  EXPECT_EQ(reread(), 1u);
  line.transact(readRequest(1, 3, 0x0000, 33));
  line.transact(readRequest(1, 3, 0x100D, 3));
  EXPECT_EQ(reread(), 0u);
}

TEST(UnitProgram, AddressesExceptionsAndLineSpeed) {
  UnitProcess unit({"--baud", "1200", "--address", "3", "--turnaround", "2"});
  Line line(unit.device(), 9600);
  // At another rate the unit hears garbage and stays silent.
  EXPECT_TRUE(line.transact(readRequest(3, 3, 0x100D, 3), 400).bytes.empty());
  line.setBaud(1200);
  struct Case {
    const char* what;
    Bytes request;
    Bytes reply;  // empty: no answer
  };
  const Case cases[] = {
      {"other address", readRequest(2, 3, 0x2202, 1), {}},
      {"own address", readRequest(3, 3, 0x2202, 1), withCrc({3, 3, 2, 0, 3})},
      {"address 0", readRequest(0, 3, 0x2202, 1), withCrc({3, 3, 2, 0, 3})},
      {"illegal function", withCrc({3, 6, 0x22, 0x02, 0, 1}), withCrc({3, 0x86, 1})},
      {"illegal address", readRequest(3, 3, 0x0400, 1), withCrc({3, 0x83, 2})},
      {"function 4 without logger", readRequest(3, 4, 0, 1), withCrc({3, 0x84, 1})},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(line.transact(c.request, c.reply.empty() ? 400 : 2000).bytes, c.reply) << c.what;
  }
  // Paced at 11 bits per byte: the last of 11 bytes at 1200 baud leaves at
  // least ten byte times (92 ms) after the first. Measured from the request,
  // a busy machine only makes it later, and a unit that wrote the reply at
  // once, or at 9600 baud, would be done long before.
  const auto r = line.transact(readRequest(3, 3, 0x100D, 3));
  ASSERT_EQ(r.bytes.size(), 11u);
  EXPECT_GE(r.at.back(), 80.0);
}

TEST(UnitProgram, LoggerRecordsWithTheEmptyMark) {
  UnitProcess unit({"--configs", "18", "--logger-type", "9", "--logger-records", "2"});
  Line line(unit.device(), 9600);
  const auto r = line.transact(readRequest(1, 4, 0, 4));
  ASSERT_EQ(r.bytes.size(), 5u + 4 * 62);
  EXPECT_TRUE(crcGood(r.bytes));
  EXPECT_EQ(r.bytes[2], 248);
  const auto data = replyData(r.bytes);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(data[62 * i + 3] == 0x80, i >= 2) << i;
  EXPECT_EQ(be16(replyData(line.transact(readRequest(1, 3, 0x0117, 1)).bytes), 0), 2u);
}

TEST(UnitProgram, EachFaultShowsOnTheWire) {
  UnitProcess unit(
      {"--faults", "crc@1;short@2;long@3;exception@4;drop@5;late=700@6;pause=1500@7;silent>=9"});
  Line line(unit.device(), 9600);
  const Bytes request = readRequest(1, 3, 0x2202, 1);
  const Bytes good = withCrc({1, 3, 2, 0, 1});
  auto ask = [&](int firstMs = 2000, int silenceMs = 1000, Line::End end = Line::End::kLength) {
    return line.transact(request, firstMs, silenceMs, end);
  };
  auto r = ask();  // 1: bad CRC
  EXPECT_EQ(r.bytes.size(), 7u);
  EXPECT_FALSE(crcGood(r.bytes));
  r = ask();  // 2: one byte short
  EXPECT_EQ(r.bytes, Bytes(good.begin(), good.end() - 1));
  r = ask(2000, 1000, Line::End::kSilence);  // 3: one byte long
  ASSERT_EQ(r.bytes.size(), 8u);
  EXPECT_EQ(Bytes(r.bytes.begin(), r.bytes.end() - 1), good);
  r = ask();  // 4: exception
  EXPECT_EQ(r.bytes, withCrc({1, 0x83, 4}));
  EXPECT_TRUE(ask(450).bytes.empty());  // 5: dropped
  r = ask();                            // 6: late first byte
  ASSERT_EQ(r.bytes, good);
  EXPECT_GE(r.at.front(), 650.0);
  r = ask(2000, 3000);  // 7: a pause inside the frame
  ASSERT_EQ(r.bytes, good);
  EXPECT_GE(r.at.back(), 1450.0);
  // Inside, not before it: the first bytes came well ahead of the last ones
  // (a second to spare for a reader that a busy machine holds back).
  double gap = 0;
  for (std::size_t i = 1; i < r.at.size(); ++i) gap = std::max(gap, r.at[i] - r.at[i - 1]);
  EXPECT_GE(gap, 500.0);
  EXPECT_EQ(ask().bytes, good);         // 8: no fault
  EXPECT_TRUE(ask(450).bytes.empty());  // 9 and on: silent
  EXPECT_TRUE(ask(450).bytes.empty());
}

// A master that retries at once, as the program's exchange does, and ends a
// reply on the silence after it as the program does by default, but with
// limits of its own: the program's (400 ms for the first byte, 150 ms of
// silence) leave a busy machine too little room, so these are longer and
// every fault below is set half a second or more away from them.
constexpr int kReadLimitMs = 1000;
constexpr int kSilenceMs = 500;

// The attempt that got a good reply, or 0 after all bad ones.
int exchange(Line& line, const Bytes& request, std::size_t expected) {
  for (int attempt = 1; attempt <= JbusMaster::kAttempts; ++attempt) {
    const auto r = line.transact(request, kReadLimitMs, kSilenceMs, Line::End::kSilence);
    if (r.bytes.size() == expected && r.bytes[1] == request[1] && crcGood(r.bytes)) return attempt;
  }
  return 0;
}

TEST(UnitProgram, FaultsAgainstAMasterThatRetries) {
  struct Case {
    std::string faults;
    int goodAttempt;  // 0: the exchange fails
  };
  const Case cases[] = {
      {"crc@1-2", 3},
      {"drop@1-3", 0},
      {"short@1;long@2", 3},
      // The retry goes unheard while the unit waits; the late reply answers it.
      {"late=" + std::to_string(kReadLimitMs + 500) + "@1", 2},
      // Later than all the first-byte limits together: every attempt times
      // out, and the reply lands in the next exchange's first attempt.
      {"late=" + std::to_string(JbusMaster::kAttempts * kReadLimitMs + 500) + "@1", 0},
      // The first half alone ends the first attempt; the tail of the paused
      // reply spoils the second.
      {"pause=" + std::to_string(kSilenceMs + 500) + "@1", 3},
  };
  const Bytes request = readRequest(1, 3, 0x100D, 3);
  for (const Case& c : cases) {
    UnitProcess unit({"--faults", c.faults});
    Line line(unit.device(), 9600);
    EXPECT_EQ(exchange(line, request, 11), c.goodAttempt) << c.faults;
    // Whatever came late is flushed: the next exchange is good at once.
    EXPECT_EQ(exchange(line, request, 11), 1) << c.faults;
  }
}

TEST(UnitProgram, StateLinkAndCleanEnd) {
  const std::string state = tempPath("state");
  const std::string link = tempPath("link");
  std::filesystem::remove(state);
  const Bytes maker = {2, 7, 0x12, 0x34, 0, 0, 0x2A, 0xF8, 0xD6, 0xD8, 4, 0};
  {
    UnitProcess unit({"--state", state, "--link", link});
    ASSERT_EQ(std::filesystem::read_symlink(link).string(), unit.device());
    Line line(link, 9600);
    EXPECT_EQ(line.transact(writeRequest(1, 0x3300, maker)).bytes.size(), 8u);
    EXPECT_EQ(line.transact(writeRequest(1, 0x2202, {0, 9})).bytes.size(), 8u);
    EXPECT_EQ(line.transact(writeRequest(9, 0x3100, {14, 3, 1, 2})).bytes.size(), 8u);
    EXPECT_EQ(unit.terminate(), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
  }
  {
    // The state file wins over --address: the unit is at the address it was given.
    UnitProcess unit({"--state", state, "--address", "1"});
    Line line(unit.device(), 9600);
    EXPECT_TRUE(line.transact(readRequest(1, 3, 0x3300, 6), 400).bytes.empty());
    EXPECT_EQ(replyData(line.transact(readRequest(9, 3, 0x3300, 6)).bytes), maker);
    const auto logger = replyData(line.transact(readRequest(9, 3, 0x3100, 6)).bytes);
    ASSERT_EQ(logger.size(), 12u);
    EXPECT_EQ(logger[0], 14);
    EXPECT_EQ(logger[2], 1);
  }
  // A broken state file is refused at start and left as it is.
  { std::ofstream(state) << "maker 0102\n"; }
  const Finished f = runToEnd({"--state", state});
  EXPECT_EQ(f.status, 2);
  EXPECT_NE(f.err.find("line 1"), std::string::npos) << f.err;
  EXPECT_EQ(std::count(f.err.begin(), f.err.end(), '\n'), 1);
  std::ifstream in(state);
  std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(kept, "maker 0102\n");
  std::filesystem::remove(state);
}

TEST(UnitProgram, UsageErrorsAreOneLineAndStatusTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"--baud", "19200"},
      {"--baud"},
      {"--address", "0"},
      {"--configs", "3"},
      {"--logger-type", "5"},
      {"--turnaround", "-1"},
      {"--faults", "oops"},
      {"--unknown"},
      {"--logger-records", "30", "--logger-size", "20"},
      {"--link", ""},
  };
  for (const auto& args : cases) {
    const Finished f = runToEnd(args);
    EXPECT_EQ(f.status, 2) << args[0];
    EXPECT_TRUE(f.out.empty()) << args[0];
    EXPECT_EQ(f.err.rfind("flowdesk-unit: ", 0), 0u) << f.err;
    EXPECT_EQ(std::count(f.err.begin(), f.err.end(), '\n'), 1) << f.err;
  }
  const Finished help = runToEnd({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--faults RULES"), std::string::npos);
  // The fault defaults it describes are the ones the unit applies.
  EXPECT_EQ(help.out.find('$'), std::string::npos) << help.out;
  const std::string lateForReads =
      std::to_string(lateReplyDelay(9600, 3).count()) + " ms for reads";
  EXPECT_NE(help.out.find(lateForReads), std::string::npos) << help.out;
  const Finished version = runToEnd({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("flowdesk-unit ", 0), 0u);
}

}  // namespace
}  // namespace flowdesk::unit::testing
