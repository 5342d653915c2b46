// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "link/Crc16.h"
#include "link/Identification.h"
#include "link/MemorySerialDriver.h"

namespace flowdesk {
namespace {

// A unit on an in-memory line that answers the three identification reads
// with hand-made register data, and can be told to fall silent on one block.
struct IdentifyingUnit {
  ManualClock clock;
  std::shared_ptr<MemoryLine> line = std::make_shared<MemoryLine>(clock);
  std::map<int, std::vector<std::uint8_t>> blocks;  // first register -> data
  int silentOn = -1;
  std::vector<int> asked;

  IdentifyingUnit() {
    std::vector<std::uint8_t> low(200, 0);
    std::memcpy(&low[0], "T210", 4);
    low[8] = 0x17;  // 6022 = 0x1786
    low[9] = 0x86;
    std::memcpy(&low[190], "T99\xB0", 4);  // entry 19, degree sign in Windows-1252
    std::vector<std::uint8_t> high(102, 0);
    std::memcpy(&high[0], "X20", 3);
    high[9] = 5;
    high[100] = 4;  // UnitCode in the high byte of 0x5132
    std::vector<std::uint8_t> factory(68, 0);
    factory[13] = 7;    // SP1 T0 0.7 us, kept as 7 tenths
    factory[14] = 3;    // SP1 frequency index
    factory[17] = 255;  // SP2 T0 25.5 us
    factory[18] = 12;
    blocks[0x5000] = low;
    blocks[0x5100] = high;
    blocks[0x2200] = factory;
    line->onWrite = [this](MemoryLine& l) {
      const auto req = l.takeRequest();
      if (req.size() < 8) return;
      const int reg = req[2] << 8 | req[3];
      asked.push_back(reg);
      if (reg == silentOn) return;
      const auto& data = blocks.at(reg);
      std::vector<std::uint8_t> reply(3 + data.size() + 2, 0);
      reply[0] = req[0];
      reply[1] = 3;
      reply[2] = static_cast<std::uint8_t>(data.size());
      std::copy(data.begin(), data.end(), reply.begin() + 3);
      reply.resize(3 + data.size());
      const auto crc = crc16(reply.data(), static_cast<std::uint16_t>(reply.size()));
      reply.push_back(static_cast<std::uint8_t>(crc & 0xFF));
      reply.push_back(static_cast<std::uint8_t>(crc >> 8));
      l.deliverAtBaud(reply, 9600, 5);
    };
  }
};

// Run by the master as its identification: the three reads go before the
// caller's own request, which goes out as asked.
TEST(IdentificationRead, FillsCatalogueUnitCodeAndSpecialProbeWords) {
  IdentifyingUnit unit;
  unit.blocks[0x3300] = std::vector<std::uint8_t>(12, 0x42);
  JbusMaster master(unit.clock);
  master.setPortOpener(memoryPortOpener(unit.line));
  DeviceImage image{};
  IdentificationCache cache;
  master.setIdentification([&](JbusMaster& m) { return IdentificationRead(m, image, cache); });

  const LinkResult r = master.readRegisters(0x3300, 6);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.data()[0], 0x42);
  EXPECT_TRUE(master.identified());
  EXPECT_EQ(unit.asked, (std::vector<int>{0x5000, 0x5100, 0x2200, 0x3300}));
  EXPECT_EQ(cache.probes[0].name, "T210");
  EXPECT_EQ(cache.probes[0].angle, 6022);
  EXPECT_EQ(cache.probes[19].name, "T99°");
  EXPECT_EQ(cache.probes[20].name, "X20");
  EXPECT_EQ(cache.probes[20].angle, 5);
  EXPECT_EQ(cache.Unit, 4);
  EXPECT_EQ(cache.T0Sp1, 7);
  EXPECT_EQ(cache.FSp1, 3);
  EXPECT_EQ(cache.T0Sp2, 255);
  EXPECT_EQ(cache.FSp2, 12);
}

// A read that fails ends the transaction there, with its own reason: the
// cache keeps what it held and the caller's request is not sent.
TEST(IdentificationRead, AFailedReadChangesNothing) {
  for (int silent : {0x5000, 0x5100, 0x2200}) {
    IdentifyingUnit unit;
    unit.silentOn = silent;
    JbusMaster master(unit.clock);
    master.setPortOpener(memoryPortOpener(unit.line));
    DeviceImage image{};
    IdentificationCache cache;
    cache.probes[0] = {"OLD", 1};
    cache.Unit = 2;
    master.setIdentification([&](JbusMaster& m) { return IdentificationRead(m, image, cache); });

    EXPECT_EQ(master.writeRegisters(0x1000, std::vector<std::uint8_t>(124, 0)).fault,
              ReplyFault::kNoAnswer)
        << silent;
    EXPECT_FALSE(master.identified());
    EXPECT_EQ(cache.probes[0].name, "OLD") << silent;
    EXPECT_EQ(cache.Unit, 2) << silent;
    EXPECT_EQ(std::count(unit.asked.begin(), unit.asked.end(), 0x1000), 0) << silent;
  }
}

}  // namespace
}  // namespace flowdesk
