// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <vector>

#include "link/BlockMaps.h"
#include "link/BlockTransfer.h"
#include "link/Crc16.h"
#include "link/MemorySerialDriver.h"
#include "support/RegisterUnit.h"

namespace flowdesk {
namespace {

// The register store with a master of its own.
struct RegisterUnit : testing::RegisterLine {
  JbusMaster master{clock};
  RegisterUnit() { serve(master); }
};

TEST(BlockTransfer, ReadDecodesOnlyWhatArrived) {
  RegisterUnit unit;
  unit.registers[0x3300] = 0x0C5E;  // serial number 12 and 94
  unit.registers[0x3303] = 11000;   // 4 mA point
  DeviceImage image{};
  ASSERT_EQ(readBlock(unit.master, kMakerBlock, makerMap(image)).code(), 0);
  EXPECT_FLOAT_EQ(image.maker.serialFirst, 12);
  EXPECT_FLOAT_EQ(image.maker.serialSecond, 94);
  EXPECT_FLOAT_EQ(image.maker.point4mA, 11000);

  // A unit that does not answer leaves the image as it was.
  unit.refused.insert(0x3300);
  unit.registers[0x3303] = 1;
  EXPECT_EQ(readBlock(unit.master, kMakerBlock, makerMap(image)).code(), -1);
  EXPECT_FLOAT_EQ(image.maker.point4mA, 11000);

  std::uint16_t word = 7;
  EXPECT_EQ(readWord(unit.master, 0x3300, word).code(), -1);
  EXPECT_EQ(word, 7);
  unit.refused.clear();
  EXPECT_EQ(readWord(unit.master, 0x3300, word).code(), 0);
  EXPECT_EQ(word, 0x0C5E);
}

TEST(BlockTransfer, WritesSendTheImageOrTheDefaults) {
  RegisterUnit unit;
  DeviceImage image{};
  image.maker.serialFirst = 3;
  image.maker.serialSecond = 7;
  image.maker.point20mA = 54321;
  ASSERT_EQ(writeBlock(unit.master, kMakerBlock, makerMap(image)).code(), 0);
  EXPECT_EQ(unit.registers[0x3300], 0x0307);
  EXPECT_EQ(unit.registers[0x3304], 54321);

  ASSERT_EQ(writeDefaultBlock(unit.master, kMakerBlock, makerMap(image)).code(), 0);
  EXPECT_EQ(unit.registers[0x3300], 0x015E);  // 1 and 94
  EXPECT_EQ(unit.registers[0x3301], 1);
  EXPECT_EQ(unit.registers[0x3303], 11000);
  EXPECT_EQ(unit.registers[0x3304], 55000);
}

TEST(BlockTransfer, SequencePausesAfterEachWriteAndStopsAtTheFirstFailure) {
  const struct {
    std::set<int> refused;
    int result;
    int failedStep;
    std::vector<int> written;
    std::vector<std::string> texts;
  } cases[] = {
      {{}, 0, -1, {0x2301, 0x2306, 0x1000}, {"clock", "reset"}},
      {{0x2306}, -1, 1, {0x2301}, {"clock", "reset"}},
      {{0x2301}, -1, 0, {}, {"clock"}},
  };
  for (const auto& c : cases) {
    RegisterUnit unit;
    unit.refused = c.refused;
    DeviceImage image{};
    const std::vector<WriteStep> steps{
        {"clock", [&](JbusMaster& m) { return writeBlock(m, kClockBlock, clockMap(image)); }},
        {"reset", [&](JbusMaster& m) { return writeBlock(m, kCommandBlock, FieldMap{}); }},
        {"",
         [&](JbusMaster& m) {  // keeps the previous text
           return writeDefaultBlock(m, configurationBlock(0), configurationMap(image));
         }},
    };
    std::vector<std::string> texts;
    const auto start = unit.clock.nowMs();
    const SequenceResult r = runWriteSequence(
        unit.master, steps, [&](const std::string& text) { texts.push_back(text); });
    EXPECT_EQ(r.link.code(), c.result);
    EXPECT_EQ(r.failedStep, c.failedStep);
    EXPECT_EQ(unit.writes, c.written);
    EXPECT_EQ(texts, c.texts);
    EXPECT_EQ(r.stepsDone, static_cast<int>(c.written.size()));
    // Every successful write is followed by its pause, nothing else waits
    // that long: the time spent is at least the pauses of the steps done.
    EXPECT_GE(unit.clock.nowMs() - start, 600 * r.stepsDone);
    EXPECT_LT(unit.clock.nowMs() - start, 600 * r.stepsDone + 3500);
  }
}

}  // namespace
}  // namespace flowdesk
