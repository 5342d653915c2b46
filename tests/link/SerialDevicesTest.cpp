// SPDX-License-Identifier: GPL-3.0-or-later
#include <grp.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "link/PtyPeer.h"
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

TEST(SerialDevices, TheDoctorSaysWhatAPathHolds) {
  FakeDev dev;
  testing::PtyPair pty;
  ASSERT_TRUE(pty.ok());
  dev.node("ttyUSB0");
  fs::create_directories(dev / "serial");
  ASSERT_EQ(::mkfifo((dev / "fifo").c_str(), 0600), 0);
  dev.byId("usb-Pty-if00", pty.path());
  // A sysfs of our own: one without a tty class at all, one that lists null.
  FakeDev sys;
  FakeDev ttySys;
  fs::create_directories(ttySys / "class/tty/null");
  const std::string ptyName = pty.path().substr(5);  // "pts/N"
  const struct {
    std::string path;
    std::string sysRoot;
    DeviceKind kind;
    std::string kernelName;
  } cases[] = {
      {dev / "ttyUSB9", "/sys", DeviceKind::kMissing, ""},
      {dev / "ttyUSB0", "/sys", DeviceKind::kRegularFile, "ttyUSB0"},
      {dev / "serial", "/sys", DeviceKind::kDirectory, "serial"},
      {dev / "fifo", "/sys", DeviceKind::kOther, "fifo"},
      {"/dev/null", "/sys", DeviceKind::kNotATerminal, "null"},
      {pty.path(), "/sys", DeviceKind::kSerial, ptyName},
      {dev / "serial/by-id/usb-Pty-if00", "/sys", DeviceKind::kSerial, ptyName},
      // Where sysfs cannot tell, the open will: a character device is let through.
      {"/dev/null", sys.root(), DeviceKind::kSerial, "null"},
      {"/dev/null", ttySys.root(), DeviceKind::kSerial, "null"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path + " in " + c.sysRoot);
    const DeviceAccess a = checkDeviceAccess(c.path, c.sysRoot);
    EXPECT_EQ(a.kind, c.kind);
    EXPECT_EQ(a.exists, c.kind != DeviceKind::kMissing);
    EXPECT_EQ(a.kernelName, c.kernelName);
  }
}

TEST(SerialDevices, GroupAdviceOnlyWhereTheGroupMayReadAndWrite) {
  testing::PtyPair pty;
  ASSERT_TRUE(pty.ok());
  const char* path = pty.path().c_str();
  struct stat info {};
  ASSERT_EQ(::stat(path, &info), 0);
  // The pty must belong to a group other than root's for the rule to show;
  // root can give it one, anyone else finds it in the tty group.
  gid_t other = info.st_gid;
  if (other == 0 && ::geteuid() == 0) other = 5;
  if (other == 0) GTEST_SKIP() << "the pty belongs to root's group";
  const struct {
    unsigned mode;
    gid_t gid;
    bool groupReadWrite;
  } cases[] = {
      {0660, other, true},  {0620, other, false}, {0640, other, false},
      {0600, other, false}, {0666, other, true},  {0660, 0, false},  // never "join root"
  };
  for (const auto& c : cases) {
    if (c.gid != info.st_gid && ::chown(path, static_cast<uid_t>(-1), c.gid) != 0) continue;
    info.st_gid = c.gid;
    ASSERT_EQ(::chmod(path, c.mode), 0);
    const DeviceAccess a = checkDeviceAccess(path);
    EXPECT_EQ(a.mode, c.mode);
    EXPECT_EQ(a.groupReadWrite, c.groupReadWrite) << std::oct << c.mode << " gid " << c.gid;
    EXPECT_EQ(a.gid, c.gid);
  }
}

TEST(SerialDevices, UdevRuleForTheDevicesKernelName) {
  const struct {
    const char* kernelName;
    const char* pattern;
  } cases[] = {
      {"ttyUSB0", "ttyUSB[0-9]*"}, {"ttyACM12", "ttyACM[0-9]*"}, {"ttyS3", "ttyS[0-9]*"},
      {"pts/7", "pts/[0-9]*"},     {"ttyAMA", "ttyAMA"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(udevRuleFor(c.kernelName, "dialout"), std::string("SUBSYSTEM==\"tty\", KERNEL==\"") +
                                                        c.pattern +
                                                        "\", GROUP=\"dialout\", MODE=\"0660\"");
  }
}

}  // namespace
}  // namespace flowdesk
