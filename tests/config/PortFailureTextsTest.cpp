// SPDX-License-Identifier: GPL-3.0-or-later
// What the configuration screens say when the port does not open: the
// reason the connection page gives, after what failed, never "the unit does
// not answer".
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "base/BilingualText.h"
#include "config/CalibrationFile.h"
#include "config/ConfigUnit.h"
#include "config/ConfigurationSession.h"
#include "config/FactorySession.h"
#include "config/InitialisationSession.h"
#include "config/SpecialProbeSession.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::ConfigUnit;

TEST(PortFailureTexts, EveryConfigurationScreenSaysWhyThePortDidNotOpen) {
  testing::TempDir dir;
  const std::string file = dir.file("a.eta");
  ASSERT_TRUE(writeCalibrationFile(file, CalibrationFile{}).ok());
  const std::string unplugged =
      "Com1: memory has gone since it was last used (adapter unplugged?).";
  const std::string missing = "Com1: memory does not exist (adapter unplugged?).";
  struct Case {
    const char* name;
    bool openedBefore;  // one exchange went through before the port failed
    std::function<std::string(ConfigUnit&)> run;
    std::string before;  // what the text says ahead of the port's reason
    const std::string& port;
  };
  const Case cases[] = {
      {"calibration sheet opening", false,
       [](ConfigUnit& u) {
         ConfigurationSession s(u.context);
         return openText(s.openUnit(), kEnglish);
       },
       "", missing},
      {"calibration sheet on a file", false,
       [&file](ConfigUnit& u) {
         ConfigurationSession s(u.context);
         return openText(s.openFile(file), kEnglish);
       },
       "No unit: the file can be viewed, printed and saved, not uploaded\n", missing},
      {"another configuration", true,
       [](ConfigUnit& u) {
         ConfigurationSession s(u.context);
         s.openUnit();
         u.line->openStatus = kPortNoDevice;
         return readText(s.selectRead(1), kEnglish);
       },
       "Reading configuration 1 failed\n", unplugged},
      {"calibration TRANSFERT", true,
       [](ConfigUnit& u) {
         ConfigurationSession s(u.context);
         s.openUnit();
         u.line->openStatus = kPortNoDevice;
         return uploadText(s.upload(), kEnglish);
       },
       "Upload Failure\nNo configuration acknowledged\nConfiguration 0 not sent\n", unplugged},
      {"factory settings opening", false,
       [](ConfigUnit& u) {
         FactorySession s(u.context);
         return settingsOpenText(s.openUnit(), kEnglish);
       },
       "", missing},
      {"factory settings TRANSFERT", true,
       [](ConfigUnit& u) {
         FactorySession s(u.context);
         s.openUnit();
         u.line->openStatus = kPortNoDevice;
         return settingsUploadText(s.upload(), s.title(), kEnglish);
       },
       "Upload Failure\n", unplugged},
      {"initialisation opening", false,
       [](ConfigUnit& u) {
         InitialisationSession s(u.context);
         EXPECT_FALSE(s.readUnit());
         return s.unitFailureText(kEnglish);
       },
       "", missing},
      {"initialisation", true,
       [](ConfigUnit& u) {
         InitialisationSession s(u.context);
         s.readUnit();
         u.line->openStatus = kPortNoDevice;
         return initialisationText(s.run(), kEnglish);
       },
       "Upload Failure\nSetup Time\n", unplugged},
      {"special probe", false,
       [](ConfigUnit& u) {
         SpecialProbeSession s(u.context);
         return specialProbeUploadText(s.upload(), kEnglish);
       },
       "Upload Failure\nThe factory settings could not be read\n", missing},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ConfigUnit u;
    if (!c.openedBefore) u.line->openStatus = kPortNoDevice;
    const std::string text = c.run(u);
    EXPECT_EQ(text.substr(0, c.before.size() + c.port.size()), c.before + c.port) << text;
    // Then the devices present, which are this machine's.
    const std::string after = text.substr(std::min(text.size(), c.before.size() + c.port.size()));
    EXPECT_TRUE(after.starts_with("\n\nSerial devices present: ") ||
                after.starts_with("\n\nNo serial device is present."))
        << text;
  }
}

}  // namespace
}  // namespace flowdesk
