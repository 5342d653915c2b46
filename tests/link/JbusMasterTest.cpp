// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "link/FrameTrace.h"
#include "link/JbusMaster.h"
#include "link/LinkTimings.h"
#include "link/PtyPeer.h"
#include "support/ManualClock.h"
#include "support/MemorySerialDriver.h"

namespace flowdesk {
namespace {

using testing::Bytes;
using testing::PtyPair;
using testing::ResolverScope;
using testing::ScriptedPeer;
using testing::withCrc;

Bytes readReply(std::uint8_t address, const Bytes& registers) {
  Bytes frame{address, 3, static_cast<std::uint8_t>(registers.size())};
  frame.insert(frame.end(), registers.begin(), registers.end());
  return withCrc(frame);
}

// ---------------------------------------------------------------------------
// Frames

// What goes on the wire for a read, a read of records and a write: the
// header from the settings and the arguments, the data as given, the CRC.
TEST(JbusRequest, BuildsTheHeaderAndCarriesTheData) {
  struct Case {
    float address;
    std::uint8_t function;
    std::uint16_t reg;
    std::uint16_t count;
    Bytes request;  // without its CRC
  };
  const Case cases[] = {
      {0.0f, 3, 0x2202, 1, {0x00, 0x03, 0x22, 0x02, 0x00, 0x01}},
      {12.9f, 3, 0x0100, 87, {12, 0x03, 0x01, 0x00, 0x00, 87}},
      {1.0f, 4, 0x1234, 3, {1, 0x04, 0x12, 0x34, 0x00, 0x03}},
      {255.0f, 16, 0x1000, 2, {255, 0x10, 0x10, 0x00, 0x00, 2, 4, 0xA0, 0xA1, 0xA2, 0xA3}},
      {1.0f, 16, 0x2301, 1, {1, 0x10, 0x23, 0x01, 0x00, 1, 2, 0xA0, 0xA1}},
      // Settings out of range or garbage still give a byte, never UB.
      {300.0f, 3, 0, 1, {255, 3, 0, 0, 0, 1}},
      {-4.0f, 3, 0, 1, {0, 3, 0, 0, 0, 1}},
      {std::numeric_limits<float>::quiet_NaN(), 3, 0, 1, {0, 3, 0, 0, 0, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.address) + " fn " + std::to_string(c.function));
    ManualClock clock;
    auto line = std::make_shared<MemoryLine>(clock);  // nobody answers: three attempts
    JbusMaster m(clock);
    m.setLinkSettings([&] { return LinkSettings{0, c.address, 5}; });
    m.setPortOpener(memoryPortOpener(line));
    Bytes data;
    for (int i = 0; i < 2 * c.count; ++i) data.push_back(static_cast<std::uint8_t>(0xA0 + i));
    const LinkResult r = c.function == 3   ? m.readRegisters(c.reg, c.count)
                         : c.function == 4 ? m.readRecords(c.reg, c.count)
                                           : m.writeRegisters(c.reg, data);
    EXPECT_EQ(r.fault, ReplyFault::kNoAnswer);
    const Bytes sent = withCrc(c.request);
    ASSERT_EQ(line->sentLog.size(), 3 * sent.size());
    EXPECT_EQ(Bytes(line->sentLog.begin(), line->sentLog.begin() + sent.size()), sent);
  }
}

TEST(JbusReply, ChecksInOrderAndIgnoresTheAddress) {
  const Bytes good = readReply(1, {0x12, 0x34});
  Bytes badCrc = good;
  badCrc.back() ^= 0x01;
  struct Case {
    const char* name;
    Bytes reply;
    std::uint8_t function;
    std::size_t expected;
    ReplyCheck verdict;
  };
  const Case cases[] = {
      {"good read", good, 3, 7, ReplyCheck::kOk},
      {"other address", readReply(9, {0x12, 0x34}), 3, 7, ReplyCheck::kOk},
      {"one byte short", readReply(1, {0x12}), 3, 7, ReplyCheck::kBadLength},
      {"one byte long", readReply(1, {0x12, 0x34, 0x56}), 3, 7, ReplyCheck::kBadLength},
      {"bad CRC", badCrc, 3, 7, ReplyCheck::kBadCrc},
      {"exception", withCrc({1, 0x83, 0x02}), 3, 7, ReplyCheck::kBadFunction},
      // The function code is tested before the length.
      {"exception, right length", withCrc({1, 0x83, 0x02, 0, 0}), 3, 7, ReplyCheck::kBadFunction},
      {"write echo", withCrc({1, 16, 0x23, 0x01, 0, 3}), 16, 8, ReplyCheck::kOk},
      {"write echo, bad CRC", {1, 16, 0x23, 0x01, 0, 3, 0, 0}, 16, 8, ReplyCheck::kBadCrc},
      {"records, any length", withCrc({1, 4, 5, 1, 2, 3, 4, 5}), 4, 512, ReplyCheck::kOk},
      // A records reply is as long as its byte count says: one that lost a
      // byte or gained one fails even when its CRC still checks.
      {"records, bare", withCrc({1, 4}), 4, 512, ReplyCheck::kBadLength},
      {"records, one byte lost", withCrc({1, 4, 5, 1, 2, 3, 4}), 4, 512, ReplyCheck::kBadLength},
      {"records, one byte more", withCrc({1, 4, 5, 1, 2, 3, 4, 5, 6}), 4, 512,
       ReplyCheck::kBadLength},
      {"records, none", withCrc({1, 4, 0}), 4, 512, ReplyCheck::kOk},
      {"records, bad CRC", {1, 4, 5, 1, 2, 3, 4, 5, 0, 0}, 4, 512, ReplyCheck::kBadCrc},
      {"records, two bytes", {1, 4}, 4, 512, ReplyCheck::kTooShort},
      {"one byte", {1}, 3, 7, ReplyCheck::kTooShort},
      {"nothing", {}, 3, 7, ReplyCheck::kTooShort},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(checkReply(c.reply.data(), c.reply.size(), c.function, c.expected), c.verdict)
        << c.name;
  }
}

TEST(JbusReply, ExpectedLengthByFunction) {
  struct Case {
    Bytes request;
    std::size_t expected;
  };
  const Case cases[] = {
      {{1, 3, 0x01, 0x00, 0, 87}, 179}, {{1, 3, 0x22, 0x02, 0, 1}, 7},
      {{1, 3, 0, 0, 0x01, 0x00}, 517},  // more than a frame: no reply can pass
      {{1, 4, 0, 0, 0, 9}, 512},        {{1, 16, 0x23, 0x06, 0, 4}, 8},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(expectedReplyLength(c.request.data(), 6), c.expected);
  }
}

TEST(JbusTimings, LimitsByBaudIndexAndFunction) {
  using std::chrono::milliseconds;
  struct Case {
    int baudIndex;
    std::uint8_t function;
    milliseconds t1;
    milliseconds t2;
  };
  const Case cases[] = {
      {0, 3, milliseconds(1000), milliseconds(400)},
      {0, 16, milliseconds(1000), milliseconds(400)},
      {1, 4, milliseconds(1000), milliseconds(400)},
      {2, 3, milliseconds(400), milliseconds(150)},
      {2, 16, milliseconds(1000), milliseconds(150)},
      {5, 3, milliseconds(400), milliseconds(150)},
      {5, 4, milliseconds(400), milliseconds(150)},
      {5, 16, milliseconds(1000), milliseconds(150)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(link_timings::firstByteLimit(c.baudIndex, c.function), c.t1) << c.baudIndex;
    EXPECT_EQ(link_timings::interByteLimit(c.baudIndex), c.t2) << c.baudIndex;
  }
  EXPECT_EQ(link_timings::wireTime(9600, 1), std::chrono::microseconds(1145));
  EXPECT_EQ(link_timings::wireTime(300, 8), std::chrono::microseconds(293333));
}

// ---------------------------------------------------------------------------
// Exchanges against an in-memory line: exact timing on a manual clock

struct MemoryRig {
  ManualClock clock{10'000};
  std::shared_ptr<MemoryLine> line = std::make_shared<MemoryLine>(clock);
  JbusMaster master{clock};
  LinkSettings settings{0, 1.0f, 5};

  MemoryRig() {
    master.setLinkSettings([this] { return settings; });
    master.setPortOpener(memoryPortOpener(line));
  }
  // Every complete request is answered by `answer` (which may say nothing).
  void peer(std::function<void(MemoryLine&, const Bytes&)> answer) {
    line->onWrite = [answer = std::move(answer)](MemoryLine& l) {
      const Bytes request = l.takeRequest();
      if (!request.empty()) answer(l, request);
    };
  }
};

TEST(JbusExchangeTiming, NoReplyCostsThreeFirstByteLimits) {
  struct Case {
    int baudIndex;
    std::uint8_t function;
    std::int64_t total;
  };
  const Case cases[] = {{0, 3, 3000}, {1, 3, 3000},  {2, 3, 1200}, {5, 3, 1200},
                        {5, 4, 1200}, {0, 16, 3000}, {5, 16, 3000}};
  for (const auto& c : cases) {
    MemoryRig rig;
    rig.settings.Bauds = c.baudIndex;
    int requests = 0;
    rig.peer([&](MemoryLine&, const Bytes&) { ++requests; });
    const std::int64_t start = rig.clock.nowMs();
    const LinkResult r = c.function == 3   ? rig.master.readRegisters(0x1000, 1)
                         : c.function == 4 ? rig.master.readRecords(0x1000, 1)
                                           : rig.master.writeRegisters(0x1000, Bytes{0, 0});
    EXPECT_EQ(r.fault, ReplyFault::kNoAnswer);
    EXPECT_EQ(rig.clock.nowMs() - start, c.total) << c.baudIndex << " fn " << int(c.function);
    EXPECT_EQ(requests, 3);
    EXPECT_EQ(rig.line->opens, 1);  // one open per transaction, not per attempt
    EXPECT_EQ(rig.line->closes, 1);
    EXPECT_EQ(rig.line->line.baud, kBaudTable[static_cast<std::size_t>(c.baudIndex)]);
    EXPECT_EQ(rig.line->line.stopBits, 2);
    EXPECT_EQ(rig.line->line.dataBits, 8);
    EXPECT_EQ(rig.line->line.parity, Parity::kNone);
  }
}

TEST(JbusExchangeTiming, FirstByteAndSilenceLimits) {
  // The slave answers every request after `firstByteDelay` ms, its first
  // three bytes at once and the rest `gap` ms later. A gap beyond T2 cuts the reply;
  // a first byte after T1 fails the attempt, and that late reply is then
  // what the next attempt receives.
  struct Case {
    int baudIndex;
    int firstByteDelay;
    int gap;
    int result;
    int requests;
  };
  const Case cases[] = {
      {5, 10, 149, 0, 1},  {5, 10, 150, 0, 1}, {5, 10, 151, -1, 3}, {0, 10, 399, 0, 1},
      {0, 10, 401, -1, 3}, {5, 399, 1, 0, 1},  {5, 400, 1, 0, 1},   {5, 401, 1, 0, 2},
      {0, 999, 1, 0, 1},   {0, 1001, 1, 0, 2},
  };
  for (const auto& c : cases) {
    MemoryRig rig;
    rig.settings.Bauds = c.baudIndex;
    int requests = 0;
    rig.peer([&](MemoryLine& l, const Bytes&) {
      ++requests;
      const Bytes reply = readReply(1, {0xAB, 0xCD});
      const std::int64_t at = l.clock.nowMs() + c.firstByteDelay;
      l.deliver(Bytes(reply.begin(), reply.begin() + 3), at);
      l.deliver(Bytes(reply.begin() + 3, reply.end()), at + c.gap);
    });
    const LinkResult r = rig.master.readRegisters(0x2202, 1);
    EXPECT_EQ(r.code(), c.result) << "index " << c.baudIndex << " delay " << c.firstByteDelay
                                  << " gap " << c.gap;
    EXPECT_EQ(requests, c.requests)
        << "index " << c.baudIndex << " delay " << c.firstByteDelay << " gap " << c.gap;
    if (r.ok()) {
      EXPECT_EQ(r.frame.size(), 7u);
      EXPECT_EQ(r.data()[0], 0xAB);
      EXPECT_EQ(r.data()[1], 0xCD);
    }
  }
}

TEST(JbusExchangeTiming, SuccessLastsTheWirePlusOneSilence) {
  MemoryRig rig;
  rig.peer([](MemoryLine& l, const Bytes&) {
    l.deliverAtBaud(readReply(1, Bytes(174, 0x11)), 9600, 20);
  });
  const std::int64_t start = rig.clock.nowMs();
  ASSERT_TRUE(rig.master.readRegisters(0x0100, 87).ok());
  // 20 ms turnaround, 179 bytes at 1.146 ms, then 150 ms of silence; the
  // 5 ms wait slices round each step up.
  const std::int64_t took = rig.clock.nowMs() - start;
  EXPECT_GE(took, 20 + 205 + 150);
  EXPECT_LE(took, 20 + 205 + 150 + 10);
}

TEST(JbusReply, LengthAnnouncedByTheFirstBytes) {
  struct Case {
    Bytes head;  // the reply's first bytes
    std::uint8_t function;
    std::size_t expected;
    std::size_t length;  // 0: not known yet
  };
  const Case cases[] = {
      {{1}, 3, 7, 0},           {{1, 3}, 3, 7, 7},
      {{1, 0x83}, 3, 7, 5},  // an exception
      {{1, 0x90, 2}, 16, 8, 5}, {{1, 16}, 16, 8, 8},
      {{1, 4}, 4, 512, 0},  // the byte count is not in yet
      {{1, 4, 36}, 4, 512, 41}, {{1, 4, 0}, 4, 512, 5},
      {{1, 6}, 3, 7, 0},  // another function: only the silence ends it
      {{1, 0x84}, 3, 7, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(announcedReplyLength(c.head.data(), c.head.size(), c.function, c.expected), c.length)
        << int(c.function) << " " << c.head.size();
  }
  // 3.5 characters of 11 bits, rounded up.
  EXPECT_EQ(link_timings::quietAfterReply(9600).count(), 5);
  EXPECT_EQ(link_timings::quietAfterReply(4800).count(), 9);
  EXPECT_EQ(link_timings::quietAfterReply(300).count(), 129);
  EXPECT_EQ(link_timings::quietAfterReply(0).count(), 0);
}

TEST(JbusExchange, RetriesUntilAGoodReply) {
  MemoryRig rig;
  const Bytes good = readReply(1, {0x00, 0x2A});
  Bytes corrupt = good;
  corrupt[3] ^= 0xFF;
  std::vector<Bytes> script{corrupt, withCrc({1, 0x83, 2}), good};
  std::size_t n = 0;
  rig.peer([&](MemoryLine& l, const Bytes&) {
    if (n < script.size()) l.deliver(script[n++], l.clock.nowMs() + 5);
  });
  const LinkResult r = rig.master.readRegisters(0x2202, 1);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(r.data()[1], 0x2A);
}

TEST(JbusExchange, MissingPortIsNotRetried) {
  MemoryRig rig;
  rig.line->openStatus = kPortNoDevice;
  const LinkResult r = rig.master.readRegisters(0x2202, 1);
  EXPECT_EQ(r.fault, ReplyFault::kPortFailed);
  EXPECT_EQ(rig.line->opens, 1);
  ASSERT_TRUE(r.port.has_value());
  EXPECT_EQ(r.port->status, kPortNoDevice);
  EXPECT_EQ(rig.clock.nowMs(), 10'000);  // nothing waited for
  EXPECT_EQ(openPortCount(), 0u);        // the failed object was discarded
}

TEST(JbusExchange, BaudIndexOutsideTheTableFailsTheOpen) {
  MemoryRig rig;
  for (int index : {-1, 6, 1000}) {
    rig.settings.Bauds = index;
    const LinkResult r = rig.master.readRegisters(0x2202, 1);
    ASSERT_TRUE(r.port.has_value()) << index;
    EXPECT_EQ(r.port->status, kPortBadBaud);
  }
  EXPECT_EQ(rig.line->opens, 0);
}

// A count no frame can carry is refused before the port is opened, with a
// fault of its own; the largest that fits goes out.
TEST(JbusExchange, CountsAFrameCannotCarryAreRefused) {
  enum class Op { kRead, kRecords, kWrite, kRaw };
  struct Case {
    Op op;
    int count;  // registers, records, or a raw request's bytes
    bool sent;
  };
  const Case cases[] = {
      {Op::kWrite, 0, false},    {Op::kWrite, 1, true},      {Op::kWrite, 123, true},
      {Op::kWrite, 124, false},  {Op::kRead, 0, false},      {Op::kRead, 1, true},
      {Op::kRead, 253, true},    {Op::kRead, 254, false},    {Op::kRecords, 0, false},
      {Op::kRecords, 255, true}, {Op::kRecords, 256, false}, {Op::kRaw, 510, true},
      {Op::kRaw, 511, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(static_cast<int>(c.op)) + " " + std::to_string(c.count));
    MemoryRig rig;
    rig.master.markIdentified();
    const auto count = static_cast<std::uint16_t>(c.count);
    Bytes frame(JbusMaster::kFrameSize + 2, 0);
    frame[1] = 3;
    const LinkResult r = c.op == Op::kRead      ? rig.master.readRegisters(0x1000, count)
                         : c.op == Op::kRecords ? rig.master.readRecords(0x1000, count)
                         : c.op == Op::kWrite
                             ? rig.master.writeRegisters(0x1000, Bytes(2 * count, 0x55))
                             : rig.master.exchange(frame.data(), c.count);
    EXPECT_EQ(r.fault == ReplyFault::kBadRequest, !c.sent);
    EXPECT_EQ(rig.line->opens, c.sent ? 1 : 0);
    if (c.sent && c.op != Op::kRaw) {
      EXPECT_EQ(rig.line->sentLog[4] << 8 | rig.line->sentLog[5], c.count) << "count on the wire";
    }
  }
  // An odd number of bytes is no whole register.
  MemoryRig rig;
  EXPECT_EQ(rig.master.writeRegisters(0x1000, Bytes(3, 0)).fault, ReplyFault::kBadRequest);
}

TEST(JbusExchange, TransferFromTheIdleHookDoesNotDisturbTheRunningOne) {
  // A window timer firing inside the wait and starting its own transfer must
  // not close the port under the running exchange.
  MemoryRig rig;
  rig.master.markIdentified();
  rig.peer([](MemoryLine& l, const Bytes&) {
    l.deliver(readReply(1, {0x0A, 0x0B}), l.clock.nowMs() + 50);
  });
  ReplyFault nested = ReplyFault::kNone;
  int nestedCalls = 0;
  ScopedIdleHook hook([&](SerialPort*) {
    if (nestedCalls++ == 0) nested = rig.master.readRegisters(0x0100, 87).fault;
    return 0;
  });
  const LinkResult r = rig.master.readRegisters(0x2202, 1);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(nested, ReplyFault::kBusy);
  EXPECT_EQ(rig.line->opens, 1);
  EXPECT_EQ(r.data()[1], 0x0B);
  // Once the exchange is over, the next one runs normally.
  EXPECT_TRUE(rig.master.readRegisters(0x2202, 1).ok());
}

TEST(JbusExchange, PauseWaitsOnTheMastersClockWithTheHook) {
  MemoryRig rig;
  int calls = 0;
  ScopedIdleHook hook([&](SerialPort* port) {
    EXPECT_EQ(port, nullptr);  // between transactions nothing is open
    return ++calls, 0;
  });
  EXPECT_EQ(rig.master.pause(600), 0);
  EXPECT_EQ(rig.clock.nowMs(), 10'600);
  EXPECT_EQ(calls, 120);
}

// A two-wire RS-485 adapter without echo suppression hands the master its
// own request first; the reply follows glued to it or after the unit's
// turnaround. The far end echoes (or not) and answers as each case says.
TEST(JbusExchange, SkipsTheAdaptersEchoOfTheRequest) {
  const Bytes read = readReply(1, {0x12, 0x34});
  const Bytes writeEcho = withCrc({1, 16, 0x23, 0x01, 0x00, 0x01});  // starts as its request
  const Bytes records = withCrc([] {
    Bytes frame{1, 4, 0xFF};
    frame.resize(3 + 0xFF, 0x55);
    return frame;
  }());
  struct Case {
    const char* name;
    std::uint8_t function;
    bool echo;
    int replyAfterMs;  // after the echo's last byte; -1: no reply
    Bytes reply;
    int result;
    int requests;
    bool echoes;         // what the master says of the adapter afterwards
    const char* reason;  // English fault, "" when the reply passed
  };
  const Case cases[] = {
      {"echo glued to the reply", 3, true, 0, read, 0, 1, true, ""},
      {"echo, silence, reply", 3, true, 300, read, 0, 1, true, ""},
      {"echo, a first byte limit later", 3, true, 399, read, 0, 1, true, ""},
      {"no echo", 3, false, 5, read, 0, 1, false, ""},
      {"a write reply starts as the request", 16, false, 5, writeEcho, 0, 1, false, ""},
      {"echo of a write, then its reply", 16, true, 20, writeEcho, 0, 1, true, ""},
      {"echo and a whole frame behind it", 4, true, 0, records, 0, 1, true, ""},
      {"echo, then nothing", 3, true, -1, {}, -1, 3, true, "no answer"},
  };
  // The echo is skipped whichever rule ends the reply: an echo of a read is
  // longer than the read's reply, whose length the first bytes announce.
  for (const ReplyEndRule rule : {ReplyEndRule::kSilence, ReplyEndRule::kLength})
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (rule == ReplyEndRule::kLength ? ", by length" : ""));
      MemoryRig rig;
      rig.settings.replyEnd = rule;
      rig.master.markIdentified();
      int requests = 0;
      rig.peer([&](MemoryLine& l, const Bytes& request) {
        ++requests;
        std::int64_t at = l.clock.nowMs() + 1;
        if (c.echo) {
          l.deliver(request, at, 1);
          at += static_cast<std::int64_t>(request.size()) - 1;
        }
        if (c.replyAfterMs >= 0) l.deliver(c.reply, at + c.replyAfterMs, 1);
      });
      const LinkResult r = c.function == 16  ? rig.master.writeRegisters(0x2301, Bytes{0x00, 0x07})
                           : c.function == 4 ? rig.master.readRecords(0x2202, 1)
                                             : rig.master.readRegisters(0x2202, 1);
      EXPECT_EQ(r.code(), c.result);
      EXPECT_EQ(requests, c.requests);
      EXPECT_EQ(linkResultText(r, kEnglish, ResultWording::kFault), c.reason);
      if (r.ok()) {
        EXPECT_EQ(Bytes(r.frame.begin(), r.frame.end()), c.reply);
      }
      EXPECT_EQ(rig.master.adapterEchoes(), c.echoes);
    }
}

TEST(JbusExchange, TheTraceSaysOnceThatTheAdapterEchoes) {
  MemoryRig rig;
  rig.master.markIdentified();
  rig.peer([](MemoryLine& l, const Bytes& request) {
    l.deliver(request, l.clock.nowMs() + 1);
    l.deliver(readReply(1, {0, 1}), l.clock.nowMs() + 10);
  });
  std::vector<std::string> lines;
  FrameTrace& trace = frameTrace();
  const bool wasOn = trace.enabled();
  trace.setSink([&](const std::string& l) { lines.push_back(l); });
  trace.setEnabled(true);
  const bool first = rig.master.readRegisters(0x2202, 1).ok();
  const bool second = rig.master.readRegisters(0x2202, 1).ok();
  trace.setEnabled(wasOn);
  trace.setSink(nullptr);
  EXPECT_TRUE(first);
  EXPECT_TRUE(second);
  int notes = 0;
  for (const std::string& l : lines) notes += l.find("-- the adapter echoes") != std::string::npos;
  EXPECT_EQ(notes, 1);
  EXPECT_EQ(lines.size(), 5u);  // TX, the note, RX, then TX and RX
  EXPECT_NE(lines.back().find("RX   7: 01 03 02 00 01"), std::string::npos) << lines.back();
}

// ---------------------------------------------------------------------------
// transfer and the identification

TEST(JbusTransfer, IdentificationRunsFirstAndIsRetriedAfterAFailure) {
  MemoryRig rig;
  std::vector<std::uint16_t> registersAsked;
  rig.peer([&](MemoryLine& l, const Bytes& request) {
    registersAsked.push_back(static_cast<std::uint16_t>(request[2] << 8 | request[3]));
    const int count = request[4] << 8 | request[5];
    l.deliver(readReply(1, Bytes(2 * static_cast<std::size_t>(count), 0)), l.clock.nowMs() + 5);
  });
  bool identificationWorks = false;
  int identifications = 0;
  rig.master.setIdentification([&](JbusMaster& m) {
    ++identifications;
    // The identification reads use the master's request frame too.
    for (std::uint16_t reg : {0x5000, 0x5100, 0x2200}) {
      if (LinkResult r = m.readRegisters(reg, 4); !r.ok()) return r;
    }
    LinkResult verdict;
    if (!identificationWorks) verdict.fault = ReplyFault::kBadLength;
    return verdict;
  });

  EXPECT_EQ(rig.master.readRegisters(0x0100, 87).fault, ReplyFault::kBadLength);
  EXPECT_FALSE(rig.master.identified());
  EXPECT_EQ(registersAsked, (std::vector<std::uint16_t>{0x5000, 0x5100, 0x2200}));

  identificationWorks = true;
  registersAsked.clear();
  const LinkResult r = rig.master.readRegisters(0x0100, 87);
  EXPECT_TRUE(r.ok());
  EXPECT_TRUE(rig.master.identified());
  // The caller's own request went out intact after the three reads.
  EXPECT_EQ(registersAsked, (std::vector<std::uint16_t>{0x5000, 0x5100, 0x2200, 0x0100}));
  EXPECT_EQ(r.frame.size(), 179u);

  registersAsked.clear();
  EXPECT_TRUE(rig.master.readRegisters(0x0100, 87).ok());
  EXPECT_EQ(identifications, 2);
  EXPECT_EQ(registersAsked, (std::vector<std::uint16_t>{0x0100}));
}

TEST(JbusTransfer, WriteCarriesItsDataAndSucceedsOnTheEcho) {
  MemoryRig rig;
  rig.master.markIdentified();
  Bytes seen;
  rig.peer([&](MemoryLine& l, const Bytes& request) {
    seen = request;
    l.deliver(withCrc(Bytes(request.begin(), request.begin() + 6)), l.clock.nowMs() + 5);
  });
  const Bytes data{0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0xA5, 0x5A};
  const LinkResult r = rig.master.writeRegisters(0x2306, data);
  EXPECT_TRUE(r.ok());
  Bytes expected{1, 16, 0x23, 0x06, 0x00, 0x04, 0x08};
  expected.insert(expected.end(), data.begin(), data.end());
  EXPECT_EQ(seen, withCrc(expected));
  EXPECT_EQ(r.frame.size(), 8u);
}

// ---------------------------------------------------------------------------
// Exchanges against a scripted slave: every outcome on the in-memory line,
// the bytes on a real terminal once

struct ScriptCase {
  const char* name;
  std::uint8_t function;
  std::vector<Bytes> replies;  // one per request; empty: silence
  int result;
  std::size_t requests;
  std::size_t replyLength;
  std::string reason;  // the reply's fault as the CLI says it (English)
};

Bytes floodReply(std::size_t size) {
  Bytes frame{1, 4, 0xFF};
  frame.resize(size - 2, 0x77);
  return withCrc(frame);
}

TEST(JbusExchange, ScriptedSlave) {
  const Bytes good3 = readReply(1, {0x12, 0x34});
  Bytes badCrc = good3;
  badCrc[5] ^= 0x40;
  const Bytes good16 = withCrc({1, 16, 0x23, 0x01, 0x00, 0x03});
  const Bytes good4 = withCrc({1, 4, 6, 1, 2, 3, 4, 5, 6});
  const ScriptCase cases[] = {
      {"read", 3, {good3}, 0, 1, 7, ""},
      {"records", 4, {good4}, 0, 1, 11, ""},
      {"write echo", 16, {good16}, 0, 1, 8, ""},
      {"other slave address", 3, {readReply(42, {0x12, 0x34})}, 0, 1, 7, ""},
      {"one byte short", 3, std::vector<Bytes>(3, readReply(1, {0x12})), -1, 3, 6, "wrong length"},
      {"one byte long", 3, std::vector<Bytes>(3, readReply(1, {0x12, 0x34, 0x56})), -1, 3, 8,
       "wrong length"},
      {"bad CRC", 3, std::vector<Bytes>(3, badCrc), -1, 3, 7, "bad CRC"},
      {"exception", 3, std::vector<Bytes>(3, withCrc({1, 0x83, 0x02})), -1, 3, 5, "exception 2"},
      {"another function", 3, std::vector<Bytes>(3, withCrc({1, 0x84, 0x02})), -1, 3, 5,
       "wrong function code"},
      {"bad then good", 3, {badCrc, good3}, 0, 2, 7, ""},
      {"no reply", 3, {}, -1, 3, 0, "no answer"},
      // The longest reply of records there is (its byte count says 255);
      // longer than that by more than the margin is no reply.
      {"longest records", 4, {floodReply(260)}, 0, 1, 260, ""},
      {"exactly a frame", 4, std::vector<Bytes>(3, floodReply(512)), -1, 3, 276, "reply too long"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryRig rig;
    JbusMaster& master = rig.master;
    std::size_t requests = 0;
    rig.peer([&](MemoryLine& l, const Bytes&) {
      if (requests < c.replies.size()) l.deliverAtBaud(c.replies[requests], 9600, 5);
      ++requests;
    });
    const LinkResult r = c.function == 16  ? master.writeRegisters(0x2301, Bytes(6, 0x42))
                         : c.function == 4 ? master.readRecords(0x2202, 1)
                                           : master.readRegisters(0x2202, 1);
    EXPECT_EQ(r.code(), c.result);
    EXPECT_EQ(requests, c.requests);
    EXPECT_EQ(r.frame.size(), c.replyLength);
    EXPECT_EQ(linkResultText(r, kEnglish, ResultWording::kFault), c.reason);
    if (c.replyLength == 276) {
      // The frame holds the first bytes up to the limit; nothing else was written.
      const Bytes& sent = c.replies.front();
      EXPECT_TRUE(std::equal(r.frame.begin(), r.frame.end(), sent.begin()));
    }
    EXPECT_EQ(openPortCount(), 0u);  // closed at the end of the transaction
  }
}

// A peer that floods the line or dribbles a byte at a time never gives a
// reply: each attempt ends once no reply could be that long any more, or at
// its deadline, and the transaction's three attempts fail as any other.
TEST(JbusExchange, FloodAndDribbleEndWithinTheAttemptsLimit) {
  struct Case {
    const char* name;
    int gapMs;  // between the peer's bytes; 0: at the wire's speed
    ReplyFault fault;
    std::size_t maxFrame;
  } cases[] = {
      {"flood", 0, ReplyFault::kOverflow, 7 + link_timings::kReplyMargin},
      {"dribble", 90, ReplyFault::kTooSlow, 7},
  };
  // A read of one register: the request, its reply and the margin.
  const auto attempt = link_timings::attemptLimit(5, 3, 9600, 8 + 7 + link_timings::kReplyMargin);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryRig rig;
    int requests = 0;
    rig.peer([&](MemoryLine& l, const Bytes&) {
      if (requests++ > 0) return;  // one stream, longer than the transaction
      const Bytes endless(4000, 0);
      if (c.gapMs == 0) {
        l.deliverAtBaud(endless, 9600, 2);
      } else {
        l.deliver(endless, l.clock.nowMs() + 2, c.gapMs);
      }
    });
    const std::int64_t start = rig.clock.nowMs();
    const LinkResult r = rig.master.readRegisters(0x2202, 1);
    EXPECT_EQ(r.fault, c.fault) << linkResultText(r, kEnglish);
    EXPECT_EQ(requests, 3);
    EXPECT_LE(r.frame.size(), c.maxFrame);
    EXPECT_LE(rig.clock.nowMs() - start, 3 * (attempt.count() + 10));
  }
}

// Another program that reads the same device takes some of the reply's
// bytes: on a device that answered well before, a reply that lost bytes (or
// carries another's address) is said to be garbled; a fault a unit causes
// keeps its own words, and so does the first reply of a run.
TEST(JbusExchange, BytesTakenByAnotherReaderAreSaidSo) {
  const Bytes good = readReply(1, {0x12, 0x34});
  const auto without = [&good](std::size_t i) {
    Bytes b = good;
    b.erase(b.begin() + static_cast<long>(i));
    return b;
  };
  Bytes badCrc = good;
  badCrc[6] ^= 0x01;
  Bytes otherAddress = readReply(7, {0x12, 0x34});
  otherAddress[6] ^= 0x01;
  const std::string garbled = "the reply was garbled: another program may be reading this device";
  struct Case {
    const char* name;
    bool answeredBefore;
    Bytes reply;
    std::string reason;
  } cases[] = {
      {"address taken", true, without(0), garbled},
      {"a data byte taken", true, without(4), garbled},
      {"all but one taken", true, {0x01}, garbled},
      {"another's address", true, otherAddress, garbled},
      {"bad CRC", true, badCrc, "bad CRC"},
      {"exception", true, withCrc({1, 0x83, 2}), "exception 2"},
      {"first reply of the run", false, without(0), "wrong function code"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryRig rig;
    int requests = 0;
    rig.peer([&](MemoryLine& l, const Bytes&) {
      const bool first = requests++ == 0 && c.answeredBefore;
      l.deliverAtBaud(first ? good : c.reply, 9600, 5);
    });
    if (c.answeredBefore) {
      ASSERT_TRUE(rig.master.readRegisters(0x2202, 1).ok());
    }
    const LinkResult r = rig.master.readRegisters(0x2202, 1);
    EXPECT_FALSE(r.ok());
    EXPECT_NE(r.fault, ReplyFault::kPortFailed);  // the exit codes stay those of a unit's fault
    EXPECT_EQ(linkResultText(r, kEnglish, ResultWording::kFault), c.reason);
  }
}

TEST(JbusExchangePty, RequestBytesOnTheWire) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  ResolverScope resolver({{0, pty.path()}});
  ManualClock clock;
  clock.realSliceMs = 3;
  JbusMaster master(clock);
  master.setLinkSettings([] { return LinkSettings{0, 0.0f, 5}; });
  master.markIdentified();
  ScriptedPeer peer(pty.master(), {readReply(0, {0, 0})});
  EXPECT_TRUE(master.readRegisters(0x2202, 1).ok());
  ASSERT_EQ(peer.requests().size(), 1u);
  EXPECT_EQ(peer.requests()[0], (Bytes{0x00, 0x03, 0x22, 0x02, 0x00, 0x01, 0x2E, 0x63}));
}

TEST(JbusExchangePty, MissingDeviceIsOneOpenAttempt) {
  ResolverScope resolver({{1, "/dev/flowdesk-test-no-such-device"}});
  ManualClock clock;
  JbusMaster master(clock);
  master.setLinkSettings([] { return LinkSettings{1, 1.0f, 5}; });
  int opens = 0;
  master.setPortOpener([&](int index, long baud, char parity, int dataBits, int stopBits) {
    ++opens;
    EXPECT_EQ(baud, 9600);
    return openPort(index, baud, parity, dataBits, stopBits);
  });
  const LinkResult r = master.readRegisters(0x2202, 1);
  EXPECT_EQ(opens, 1);
  ASSERT_TRUE(r.port.has_value());
  EXPECT_EQ(r.port->status, kPortNoDevice);
  EXPECT_EQ(r.device, "/dev/flowdesk-test-no-such-device");
  EXPECT_EQ(r.port->systemError, ENOENT);
  EXPECT_EQ(clock.nowMs(), 0);
}

// An adapter pulled out while the master waits for the reply: its
// descriptor is hung up from then on, even if the adapter comes back at
// once. That is the device gone, as when it does not open, never a unit that
// does not answer: the long jobs wait for it and ask again.
TEST(JbusExchangePty, AnAdapterPulledDuringTheExchangeIsGoneNotSilent) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  const std::string path = pty.path();
  ResolverScope resolver({{0, path}});
  ManualClock clock;
  JbusMaster master(clock);
  master.setLinkSettings([] { return LinkSettings{0, 1.0f, 5}; });
  master.markIdentified();
  bool pulled = false;
  ScopedIdleHook pull([&](SerialPort*) {
    // Once the request is out, in the wait for its reply.
    pollfd request{pty.master(), POLLIN, 0};
    if (!pulled && ::poll(&request, 1, 0) > 0) {
      pty.closeMaster();
      pulled = true;
    }
    return 0;
  });
  const LinkResult r = master.readRegisters(0x2202, 1);
  EXPECT_TRUE(pulled);
  EXPECT_EQ(r.fault, ReplyFault::kPortFailed);
  ASSERT_TRUE(r.port.has_value());
  EXPECT_EQ(r.port->status, kPortNoDevice);
  EXPECT_EQ(r.port->openedBefore, path);
  EXPECT_LT(clock.nowMs(), 400);  // not one first-byte limit waited out
  EXPECT_EQ(openPortCount(), 0u);
}

// ---------------------------------------------------------------------------
// Trace

TEST(FrameTraceLine, Format) {
  const Bytes request{0x00, 0x03, 0x22, 0x02, 0x00, 0x01, 0x2E, 0x63};
  EXPECT_EQ(FrameTrace::format(1234, "TX", request.data(), request.size()),
            "[    1234 ms] TX   8: 00 03 22 02 00 01 2E 63");
  EXPECT_EQ(FrameTrace::format(5, "RX", nullptr, 0, "no reply"),
            "[       5 ms] RX   0:  (no reply)");
}

TEST(FrameTraceLine, ExchangeTracesBothDirectionsOnlyWhenOn) {
  MemoryRig rig;
  rig.peer([](MemoryLine& l, const Bytes&) {
    l.deliver(readReply(1, {0xF8, 0x01}), l.clock.nowMs() + 5);
  });
  std::vector<std::string> lines;
  FrameTrace& trace = frameTrace();
  const bool wasOn = trace.enabled();
  trace.setSink([&](const std::string& l) { lines.push_back(l); });
  trace.setEnabled(false);
  ASSERT_TRUE(rig.master.readRegisters(0x2202, 1).ok());
  EXPECT_TRUE(lines.empty());
  trace.setEnabled(true);
  ASSERT_TRUE(rig.master.readRegisters(0x2202, 1).ok());
  trace.setEnabled(wasOn);
  trace.setSink(nullptr);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("TX   8: 01 03 22 02 00 01"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("RX   7: 01 03 02 F8 01"), std::string::npos) << lines[1];
  EXPECT_NE(lines[1].find("(ok)"), std::string::npos) << lines[1];
}

}  // namespace
}  // namespace flowdesk
