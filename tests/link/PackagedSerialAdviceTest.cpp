// SPDX-License-Identifier: GPL-3.0-or-later
// The package's notes on serial access (packaging/README.Debian, the example
// udev rule) repeat what the port doctor tells a technician. Written twice,
// they drift: a technician who reads one and then the other must find the
// same group, the same rule, the same file and the same commands.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "link/SerialDevices.h"

namespace flowdesk {
namespace {

std::string packagingFile(const char* name) {
  const std::filesystem::path path =
      std::filesystem::path(FLOWDESK_SOURCE_DIR) / "packaging" / name;
  std::ifstream in(path);
  EXPECT_TRUE(in.good()) << path;
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(PackagedSerialAdvice, SaysWhatTheDoctorSays) {
  // Debian's adapters come as ttyUSB0 and the group is dialout there.
  const std::string rule = udevRuleFor("ttyUSB0", "dialout");
  const struct {
    const char* file;
    std::string text;
  } cases[] = {
      {"README.Debian", rule},
      {"README.Debian", kUdevRuleFile},
      {"README.Debian", kUdevReloadCommand},
      {"README.Debian", groupAccessCommand("dialout")},
      // The example stays inactive until someone removes the #.
      {"60-flowdesk.rules", "\n#" + rule + "\n"},
      {"60-flowdesk.rules", kUdevReloadCommand},
      {"60-flowdesk.rules", groupAccessCommand("dialout")},
      {"postinst", groupAccessCommand("dialout")},
  };
  for (const auto& c : cases) {
    EXPECT_NE(packagingFile(c.file).find(c.text), std::string::npos)
        << c.file << " does not say: " << c.text;
  }
}

}  // namespace
}  // namespace flowdesk
