// SPDX-License-Identifier: GPL-3.0-or-later
// The special-probe page's session against the virtual unit: the probe of a
// file goes into the ticked slots of the FactoryBlock, the rest of the block
// goes back as the unit sent it, and no identification is read meanwhile.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/BilingualText.h"
#include "cli/MemoryUnitRig.h"
#include "config/SpecialProbeFile.h"
#include "config/SpecialProbeSession.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

// SP1 as the unit holds it before the upload: 45.50°, 12.3 µs, 300 kHz, "ABCDEF".
void withSp1(unit::StoredBlocks& b) {
  b.factory[11] = 0x11;
  b.factory[12] = 0xC6;
  b.factory[13] = 123;
  b.factory[14] = 7;
  for (int i = 0; i < 6; ++i) b.factory[19 + i] = static_cast<std::uint8_t>('A' + i);
}

TEST(SpecialProbeSessionOnUnit, TheProbeGoesIntoTheTickedSlotsOnlyOrNowhere) {
  testing::TempDir dir;
  const std::string path = dir.file("probe.csp540");
  // 12.34° (1234 = 0x04D2), frequency 6, T0 2.3 µs.
  ASSERT_TRUE(writeSpecialProbeFile(path, {"Probe2", 12.34f, 6, 2.3f}).ok());
  const Bytes probeSlot{0x04, 0xD2, 23, 6};
  const Bytes probeText{'P', 'r', 'o', 'b', 'e', '2'};

  const struct {
    bool sp1, sp2;
    int refused;  // the function the unit keeps silent on, or 0
    const char* text;
  } cases[] = {
      {false, true, 0, ""},
      {true, false, 0, ""},
      {true, true, 0, ""},
      {false, false, 0, "Neither SA nor SB is ticked: nothing is uploaded"},
      {true, false, 3, "Upload Failure\nThe factory settings could not be read"},
      {true, false, 16, "Upload Failure"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.sp1 << c.sp2 << c.refused);
    testing::MemoryUnitRig rig(2, withSp1);
    rig.refuse = [&c](const testing::Request& r) { return r.function == c.refused; };
    SpecialProbeSession session(rig.app);
    ASSERT_TRUE(session.open(path).ok());
    EXPECT_TRUE(session.intoSp1 && !session.intoSp2) << "SA alone when the page opens";
    session.intoSp1 = c.sp1;
    session.intoSp2 = c.sp2;
    const SpecialProbeUploadOutcome up = session.upload();
    EXPECT_EQ(up.ok, *c.text == 0);
    EXPECT_EQ(specialProbeUploadText(up, kEnglish), c.text);
    EXPECT_FALSE(rig.app.master.identified());
    if (!up.ok) {
      EXPECT_EQ(rig.unit.stored().factory, rig.start.factory);
      if (!session.transfertOffered()) {
        EXPECT_TRUE(rig.requests.empty());
      }
      continue;
    }
    // One read and one write of the FactoryBlock, nothing else.
    ASSERT_EQ(rig.requests.size(), 2u);
    EXPECT_EQ(rig.requests[0].function, 3);
    EXPECT_EQ(rig.requests[0].first, 0x2200);
    EXPECT_EQ(rig.requests[1].function, 16);
    EXPECT_EQ(rig.requests[1].first, 0x2200);

    unit::FactoryBytes expected = rig.start.factory;
    for (int slot : {0, 1}) {
      if (slot == 0 ? !c.sp1 : !c.sp2) continue;
      std::copy(probeSlot.begin(), probeSlot.end(), expected.begin() + 11 + 4 * slot);
      std::copy(probeText.begin(), probeText.end(), expected.begin() + 19 + 6 * slot);
    }
    EXPECT_EQ(rig.unit.stored().factory, expected) << "the other settings are sent unchanged";
  }
}

}  // namespace
}  // namespace flowdesk
