#include <grp.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "link/SerialDevices.h"

namespace flowdesk {
namespace {

namespace fs = std::filesystem;

// A /dev of our own: plain files stand in for the device nodes.
class FakeDev {
 public:
  FakeDev() {
    std::string pattern = (fs::temp_directory_path() / "flowdesk-dev-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
  }
  ~FakeDev() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  void node(const std::string& name) const { std::ofstream(root_ + "/" + name) << ""; }
  void byId(const std::string& name, const std::string& target) const {
    fs::create_directories(root_ + "/serial/by-id");
    fs::create_symlink(target, root_ + "/serial/by-id/" + name);
  }
  std::string operator/(const std::string& rest) const { return root_ + "/" + rest; }
  const std::string& root() const { return root_; }

 private:
  std::string root_;
};

TEST(SerialDevices, DefaultOrderOnAFakeTree) {
  FakeDev dev;
  for (const char* n : {"ttyS10", "ttyS2", "ttyS0", "ttyS1", "ttyUSB10", "ttyUSB2", "ttyUSB1",
                        "ttyUSB0", "ttyACM1", "ttyACM0", "tty", "tty1", "ttyUSB", "console"}) {
    dev.node(n);
  }
  fs::create_directories(dev / "ttySdir");
  dev.byId("usb-FTDI_FT232R_A1-if00-port0", "../../ttyUSB1");
  dev.byId("usb-Arduino_Uno_B2-if00", "../../ttyACM0");
  dev.byId("usb-Gone_C3-if00", "../../ttyUSB9");  // unplugged: the link is dangling
  dev.byId("usb-Absolute_D4-if00", dev / "ttyUSB2");

  const std::vector<std::string> expected = {
      dev / "serial/by-id/usb-Absolute_D4-if00",
      dev / "serial/by-id/usb-Arduino_Uno_B2-if00",
      dev / "serial/by-id/usb-FTDI_FT232R_A1-if00-port0",
      dev / "ttyUSB0",  // ttyUSB1 and ttyUSB2 are named by the links above
      dev / "ttyUSB10",
      dev / "ttyACM1",
      dev / "ttyS0",
      dev / "ttyS1",
      dev / "ttyS2",
      dev / "ttyS10",
  };
  EXPECT_EQ(findSerialDevices(dev.root()), expected);
}

TEST(SerialDevices, TreesWithoutSomeKinds) {
  FakeDev dev;
  EXPECT_TRUE(findSerialDevices(dev.root()).empty());
  EXPECT_TRUE(findSerialDevices(dev / "missing").empty());
  dev.node("ttyS0");
  dev.node("ttyACM3");
  EXPECT_EQ(findSerialDevices(dev.root()),
            (std::vector<std::string>{dev / "ttyACM3", dev / "ttyS0"}));
  // A ttyUSB reached through a symlink of its own is still matched by target.
  dev.node("ttyUSB0");
  dev.byId("usb-X-if00", "../../ttyUSB0");
  fs::create_symlink("ttyUSB0", dev / "ttyUSB5");
  EXPECT_EQ(
      findSerialDevices(dev.root()),
      (std::vector<std::string>{dev / "serial/by-id/usb-X-if00", dev / "ttyACM3", dev / "ttyS0"}));
}

TEST(SerialDevices, PortIndexToDevice) {
  const std::vector<std::string> found = {"/dev/serial/by-id/a", "/dev/ttyUSB0", "/dev/ttyS0"};
  const std::array<std::string, 4> none{};
  const std::array<std::string, 4> chosen = {"", "/dev/ttyACM7", "", "/dev/pts/4"};
  const struct {
    int port;
    const std::array<std::string, 4>& operatorDevices;
    std::string expected;
  } cases[] = {
      {0, none, "/dev/serial/by-id/a"},
      {1, none, "/dev/ttyUSB0"},
      {2, none, "/dev/ttyS0"},
      {3, none, ""},  // fewer devices than ports
      {0, chosen, "/dev/serial/by-id/a"},
      {1, chosen, "/dev/ttyACM7"},  // the operator's choice wins
      {3, chosen, "/dev/pts/4"},    // even beyond the devices found
      {-1, chosen, ""},
      {4, chosen, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(devicePathForPort(c.port, c.operatorDevices, found), c.expected) << c.port;
  }
  EXPECT_EQ(devicePathForPort(0, chosen, {}), "");
}

TEST(SerialDevices, AccessReportsTheOwningGroup) {
  FakeDev dev;
  dev.node("ttyUSB0");
  const std::string node = dev / "ttyUSB0";
  gid_t gid = ::getegid();
  // Root can hand the node to the group real serial devices belong to.
  if (::geteuid() == 0) {
    if (const group* g = ::getgrnam("dialout")) {
      ASSERT_EQ(::chown(node.c_str(), static_cast<uid_t>(-1), g->gr_gid), 0);
      gid = g->gr_gid;
    }
  }
  const group* g = ::getgrgid(gid);
  const std::string expectedGroup = g != nullptr ? g->gr_name : std::to_string(gid);
  ::chmod(node.c_str(), 0660);
  dev.byId("usb-X-if00", "../../ttyUSB0");

  for (const std::string& path : {node, dev / "serial/by-id/usb-X-if00"}) {
    SCOPED_TRACE(path);
    const DeviceAccess a = checkDeviceAccess(path);
    EXPECT_TRUE(a.exists);
    EXPECT_EQ(a.gid, gid);
    EXPECT_EQ(a.group, expectedGroup);
    EXPECT_TRUE(a.readWrite);
  }
  const DeviceAccess missing = checkDeviceAccess(dev / "ttyUSB7");
  EXPECT_FALSE(missing.exists);
  EXPECT_FALSE(missing.readWrite);
  EXPECT_TRUE(missing.group.empty());

  if (::geteuid() != 0) {  // root may open anything
    ::chmod(node.c_str(), 0600);
    ::chmod(node.c_str(), 0);
    EXPECT_FALSE(checkDeviceAccess(node).readWrite);
  }
  EXPECT_EQ(groupAccessCommand("dialout"), "sudo usermod -aG dialout $USER");
}

}  // namespace
}  // namespace flowdesk
