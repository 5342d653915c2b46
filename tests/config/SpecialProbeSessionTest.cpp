// SPDX-License-Identifier: GPL-3.0-or-later
// The special-probe page's session against a register store on an in-memory
// line: what reaches the unit's factory block for each choice of slots, the
// values held to what the page offers, the failures and their words.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "base/BilingualText.h"
#include "config/ConfigUnit.h"
#include "config/SpecialProbeSession.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::Asked;
using testing::ConfigUnit;
using testing::factoryBlock;

TEST(SpecialProbeSession, WhatReachesTheUnitForEachChoiceAndWhatItSays) {
  // 12.34°, index 6, 2.3 µs.
  const Bytes plain{'P', 'r', 'o', 'b', 'e', '2', 0x04, 0xD2, 6, 23};
  // 655.35°, index 9 and 25.5 µs: held to 90° and the list's first entry.
  const Bytes beyond{'S', 'P', ' ', 'N', 0xB0, '1', 0xFF, 0xFF, 9, 255};
  // What the slot receives: angle x 100, T0 x 10, frequency, then the text.
  const Bytes sent{0x04, 0xD2, 23, 6, 'P', 'r', 'o', 'b', 'e', '2'};
  const Bytes held{0x23, 0x28, 255, 0, 'S', 'P', ' ', 'N', 0xB0, '1'};
  const std::pair<int, int> read{3, 0x2200}, write{16, 0x2200}, none{};
  struct Case {
    const char* name;
    Bytes file;
    bool sp1, sp2;
    std::pair<int, int> refused;  // function and register the unit keeps silent on
    Asked asked;
    Bytes slot;  // empty: the unit's block stays as it was
    std::string english, french;
  } cases[] = {
      {"SA", plain, true, false, none, {read, write}, sent, "", ""},
      {"SB", plain, false, true, none, {read, write}, sent, "", ""},
      {"both, held", beyond, true, true, none, {read, write}, held, "", ""},
      {"neither",
       plain,
       false,
       false,
       none,
       {},
       {},
       "Neither SA nor SB is ticked: nothing is uploaded",
       "Ni SA ni SB n'est coché : rien n'est transféré"},
      {"read fails",
       plain,
       true,
       false,
       read,
       {read, read, read},
       {},
       "Upload Failure\nThe factory settings could not be read",
       "Téléchargement à échoué\nLecture du Réglage Usine impossible"},
      {"write fails",
       plain,
       false,
       true,
       write,
       {read, write, write, write},
       {},
       "Upload Failure",
       "Téléchargement à échoué"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    const std::string path = dir.file("p.csp540");
    testing::putFile(path, c.file);
    ConfigUnit u;
    u.put(0x2200, factoryBlock());
    SpecialProbeSession s(u.context);
    ASSERT_TRUE(s.open(path).ok());
    EXPECT_TRUE(s.intoSp1 && !s.intoSp2) << "SA alone when the page opens";
    EXPECT_FALSE(u.context.master.identified()) << "the unit's probes may have changed";
    s.intoSp1 = c.sp1;
    s.intoSp2 = c.sp2;
    EXPECT_EQ(s.transfertOffered(), c.sp1 || c.sp2);
    u.refuseAt(c.refused.first, c.refused.second);
    const SpecialProbeUploadOutcome o = s.upload();
    EXPECT_EQ(o.ok, c.english.empty());
    EXPECT_EQ(o.failedAt(SpecialProbeStep::kRead), c.refused == read);
    EXPECT_EQ(o.failedAt(SpecialProbeStep::kChoice), !c.sp1 && !c.sp2);
    EXPECT_EQ(specialProbeUploadText(o, kEnglish), c.english);
    EXPECT_EQ(specialProbeUploadText(o, kFrench), c.french);
    // Nothing but the factory block is asked: no identification meanwhile.
    EXPECT_EQ(u.asked, c.asked);
    EXPECT_FALSE(u.context.master.identified()) << "learnt again at the next exchange";

    Bytes expected = factoryBlock();
    for (int slot : {0, 1}) {
      if (c.slot.empty() || !(slot == 0 ? c.sp1 : c.sp2)) continue;
      std::copy_n(c.slot.begin(), 4, expected.begin() + 11 + 4 * slot);
      std::copy_n(c.slot.begin() + 4, 6, expected.begin() + 19 + 6 * slot);
    }
    EXPECT_EQ(u.bytesAt(0x2200, 34), expected) << "the other settings go back as they were";
  }
}

}  // namespace
}  // namespace flowdesk
