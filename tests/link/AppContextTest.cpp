// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <memory>

#include "link/AppContext.h"
#include "link/MemorySerialDriver.h"

namespace flowdesk {
namespace {

TEST(AppContext, DevicePathPrefersThisRunThenTheOperatorsChoice) {
  DeviceImage image{};
  AppContext context(systemClock(), image);
  context.settings.Device1 = "/dev/serial/by-id/usb-adapter";
  context.settings.Device3 = "/dev/ttyS9";
  context.deviceOverride[0] = "/tmp/virtual-unit";

  EXPECT_EQ(context.devicePath(0), "/tmp/virtual-unit");
  EXPECT_EQ(context.devicePath(2), "/dev/ttyS9");
  context.deviceOverride[0].clear();
  EXPECT_EQ(context.devicePath(0), "/dev/serial/by-id/usb-adapter");
  EXPECT_EQ(context.devicePath(7), "");  // no such port: nothing is guessed
}

TEST(AppContext, MasterReadsTheLinkSettingsAtEveryTransaction) {
  DeviceImage image{};
  AppContext context(systemClock(), image);
  context.settings.Com = 2;
  context.settings.Jbus = 12.9f;
  context.settings.Bauds = 1;
  const LinkSettings seen = context.master.linkSettings();
  EXPECT_EQ(seen.Com, 2);
  EXPECT_FLOAT_EQ(seen.Jbus, 12.9f);
  EXPECT_EQ(seen.Bauds, 1);
}

TEST(AppContext, TheAddressSettingBecomesTheRequestsFirstByte) {
  ManualClock clock;
  DeviceImage image{};
  AppContext context(clock, image);
  auto line = std::make_shared<MemoryLine>(clock);
  context.master.setPortOpener(memoryPortOpener(line));
  context.master.markIdentified();
  context.settings.Jbus = 12.9f;
  EXPECT_EQ(context.master.readRegisters(0x0100, 87).fault, ReplyFault::kNoAnswer);
  ASSERT_FALSE(line->sentLog.empty());
  EXPECT_EQ(line->sentLog[0], 12);  // address truncated
}

}  // namespace
}  // namespace flowdesk
