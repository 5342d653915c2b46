// SPDX-License-Identifier: GPL-3.0-or-later
// A parameter file whose header gives its block another length than the
// unit's: every screen's session opens it, and none lets TRANSFERT send
// anything of it.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "config/ConfigUnit.h"
#include "config/ConfigurationSession.h"
#include "config/FactorySession.h"
#include "config/MakerSession.h"
#include "config/SpecialProbeSession.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::ConfigUnit;

// Opens the file in a screen's session (true when it is shown), then tries
// TRANSFERT with nothing asked of the unit in between: whether it went and
// its words.
struct Tried {
  bool opened = false;
  bool uploaded = false;
  std::string words;
};
using Try = std::function<Tried(ConfigUnit&, const std::string&)>;

Tried calibration(ConfigUnit& u, const std::string& path) {
  ConfigurationSession s(u.context);
  const bool opened = s.openFile(path).ok;
  u.asked.clear();
  const UploadOutcome up = s.upload();
  return {opened, up.ok, uploadText(up, kEnglish)};
}

template <typename Session>
Tried settings(ConfigUnit& u, const std::string& path) {
  Session s(u.context);
  const bool opened = s.openFile(path).ok;
  u.asked.clear();
  const SettingsUploadOutcome up = s.upload();
  return {opened, up.ok, settingsUploadText(up, s.title(), kEnglish)};
}

Tried specialProbe(ConfigUnit& u, const std::string& path) {
  SpecialProbeSession s(u.context);
  const bool opened = s.open(path).ok();
  u.asked.clear();
  const SpecialProbeUploadOutcome up = s.upload();
  return {opened, up.ok, specialProbeUploadText(up, kEnglish)};
}

TEST(BlockLength, AFileThatLiesAboutItsBlockIsOpenedButNeverSent) {
  Bytes eta{0x36, 0x01, 0, 0};
  eta.insert(eta.end(), 308, 0);
  struct Case {
    const char* file;
    Bytes bytes;
    Try tryIt;
    const char* lengths;
  };
  const std::vector<Case> cases = {
      {"c.eta", eta, calibration, "(found 0, expected 124)"},
      {"f.rus",
       {20, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20},
       settings<FactorySession>,
       "(found 20, expected 68)"},
      {"m.nvd", {2, 0, 0, 0, 7, 33}, settings<MakerSession>, "(found 2, expected 12)"},
      {"p.csp540", Bytes(12, 'P'), specialProbe, "(found 12, expected 10)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    testing::TempDir dir;
    const std::string path = dir.file(c.file);
    testing::putFile(path, c.bytes);
    ConfigUnit u;
    const Tried tried = c.tryIt(u, path);
    EXPECT_TRUE(tried.opened) << "such a file is still shown";
    EXPECT_FALSE(tried.uploaded);
    EXPECT_TRUE(u.asked.empty()) << "nothing at all is asked of the unit";
    EXPECT_NE(tried.words.find("Nothing is sent to the unit: wrong block length in " + path + " " +
                               c.lengths),
              std::string::npos)
        << tried.words;
  }
}

}  // namespace
}  // namespace flowdesk
