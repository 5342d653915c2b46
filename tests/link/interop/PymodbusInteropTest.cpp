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
    master_.markIdentified();
  }
  void TearDown() override { setPortResolver(previous_); }

  std::vector<int> read(std::uint16_t reg, std::uint16_t count) {
    std::vector<int> values;
    const LinkResult r = master_.readRegisters(reg, count);
    replyLength_ = r.frame.size();
    if (!r.ok()) return values;
    for (int i = 0; i < count; ++i) values.push_back(r.data()[2 * i] << 8 | r.data()[2 * i + 1]);
    return values;
  }
  std::size_t replyLength_ = 0;

  JbusMaster master_;
  PortResolver previous_;
};

TEST_F(PymodbusInterop, ReadWriteAndReadBack) {
  EXPECT_EQ(read(0, 4), (std::vector<int>{0x1100, 0x1101, 0x1102, 0x1103}));
  EXPECT_EQ(replyLength_, 5u + 2 * 4);

  const std::vector<std::uint8_t> written{0xBE, 0xEF, 0x00, 0x00, 0xF8, 0xF8};
  const LinkResult w = master_.writeRegisters(5, written);
  ASSERT_TRUE(w.ok());
  EXPECT_EQ(w.frame.size(), 8u);
  EXPECT_EQ(w.frame[1], 16);

  EXPECT_EQ(read(4, 5), (std::vector<int>{0x1104, 0xBEEF, 0x0000, 0xF8F8, 0x1108}));
}

TEST_F(PymodbusInterop, LargestBlocksBothWays) {
  // 62 registers is the largest write of the system; 87 the largest read.
  std::vector<std::uint8_t> data;
  for (int i = 0; i < 62; ++i) {
    data.push_back(0x20);
    data.push_back(static_cast<std::uint8_t>(i));
  }
  ASSERT_TRUE(master_.writeRegisters(10, data).ok());
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
  const LinkResult r = master_.readRegisters(126, 5);
  EXPECT_EQ(r.fault, ReplyFault::kException);
  EXPECT_EQ(r.frame[1], 0x83);
  // The link is still usable afterwards.
  EXPECT_EQ(read(127, 1), (std::vector<int>{0x1100 + 127}));
}

}  // namespace
}  // namespace flowdesk
