// SPDX-License-Identifier: GPL-3.0-or-later
// Run by run_pymodbus_interop.sh with FLOWDESK_INTEROP_DEVICE naming our end
// of a pty pair whose other end a pymodbus RTU slave (address 1, 9600 8N2)
// serves: holding registers 0..127, register n holding 0x1100 + n.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "link/JbusMaster.h"
#include "link/SerialPort.h"

namespace flowdesk {
namespace {

class PymodbusInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* device = std::getenv("FLOWDESK_INTEROP_DEVICE");
    // Not a skip: run outside its script this test has nothing to talk to,
    // and a silent pass would hide that.
    ASSERT_NE(device, nullptr) << "FLOWDESK_INTEROP_DEVICE is not set; run "
                                  "tests/link/run_pymodbus_interop.sh";
    const std::string path = device;
    previous_ = setPortResolver([path](int index) { return index == 0 ? path : std::string(); });
    master_.setLinkSettings([] { return LinkSettings{0, 1.0f, 5}; });
    master_.identificationDone = true;
  }
  void TearDown() override { setPortResolver(previous_); }

  std::vector<int> read(std::uint16_t reg, std::uint16_t count) {
    std::vector<int> values;
    if (master_.readRegisters(reg, count) != 0) return values;
    for (int i = 0; i < count; ++i) {
      values.push_back(master_.replyData()[2 * i] << 8 | master_.replyData()[2 * i + 1]);
    }
    return values;
  }

  JbusMaster master_;
  PortResolver previous_;
};

TEST_F(PymodbusInterop, ReadWriteAndReadBack) {
  EXPECT_EQ(read(0, 4), (std::vector<int>{0x1100, 0x1101, 0x1102, 0x1103}));
  EXPECT_EQ(master_.ReplyLength, 5 + 2 * 4);

  const std::vector<int> written{0xBEEF, 0x0000, 0xF8F8};
  for (std::size_t i = 0; i < written.size(); ++i) {
    master_.requestData()[2 * i] = static_cast<std::uint8_t>(written[i] >> 8);
    master_.requestData()[2 * i + 1] = static_cast<std::uint8_t>(written[i] & 0xFF);
  }
  ASSERT_EQ(master_.writeRegisters(5, 3), 0);
  EXPECT_EQ(master_.ReplyLength, 8);
  EXPECT_EQ(master_.ReplyFrame[1], 16);

  EXPECT_EQ(read(4, 5), (std::vector<int>{0x1104, 0xBEEF, 0x0000, 0xF8F8, 0x1108}));
}

TEST_F(PymodbusInterop, LargestBlocksBothWays) {
  // 62 registers is the largest write of the system; 87 the largest read.
  for (int i = 0; i < 62; ++i) {
    master_.requestData()[2 * i] = 0x20;
    master_.requestData()[2 * i + 1] = static_cast<std::uint8_t>(i);
  }
  ASSERT_EQ(master_.writeRegisters(10, 62), 0);
  const std::vector<int> back = read(0, 87);
  ASSERT_EQ(back.size(), 87u);
  // (Registers below 10 may hold another test's writes.)
  for (int i = 10; i < 87; ++i) {
    const int expected = i < 72 ? 0x2000 + (i - 10) : 0x1100 + i;
    EXPECT_EQ(back[static_cast<std::size_t>(i)], expected) << i;
  }
}

TEST_F(PymodbusInterop, ExceptionReplyFailsTheExchange) {
  // Registers 126..130 run past the slave's block: it answers 0x83.
  EXPECT_EQ(master_.readRegisters(126, 5), -1);
  EXPECT_EQ(master_.ReplyFrame[1], 0x83);
  // The link is still usable afterwards.
  EXPECT_EQ(read(127, 1), (std::vector<int>{0x1100 + 127}));
}

}  // namespace
}  // namespace flowdesk
