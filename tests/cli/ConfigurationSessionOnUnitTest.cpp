// SPDX-License-Identifier: GPL-3.0-or-later
// The calibration sheet's session against the virtual unit, in-process behind
// an in-memory line on a manual clock: what reaches the unit, in which order
// and with which pauses, and the calibration file and deviation report made
// from what it sent.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "cli/MemoryUnitRig.h"
#include "config/CalibrationFile.h"
#include "config/ConfigurationSession.h"
#include "link/AppContext.h"
#include "link/BlockMaps.h"
#include "support/MemorySerialDriver.h"
#include "support/Processes.h"
#include "support/TestFiles.h"
#include "unit/RegisterTables.h"
#include "unit/VirtualUnit.h"

namespace flowdesk {
namespace {

using testing::fileBytes;
using testing::TempDir;

using testing::Request;

// The calibration sheet's session on the rig, at a fixed PC time.
struct ConfigurationRig : testing::MemoryUnitRig {
  ConfigurationSession session{app};

  explicit ConfigurationRig(int configs = 18,
                            const std::function<void(unit::StoredBlocks&)>& change = {})
      : MemoryUnitRig(configs, change) {
    session.localTime = [] { return LocalDateTime{2004, 3, 5, 14, 7, 9}; };
  }
  Bytes configurationBytes() {
    std::array<std::uint8_t, kRequestDataSize> area{};
    encodeRequest(configurationMap(image), area.data());
    return Bytes(area.begin(), area.begin() + kConfigurationBytes);
  }
};

TEST(ConfigurationSessionOnUnit, OpensWithTheUnitsNumberOfConfigurations) {
  for (int configs : {2, 18}) {
    SCOPED_TRACE(configs);
    ConfigurationRig rig(configs);
    const OpenOutcome open = rig.session.openUnit();
    ASSERT_TRUE(open.ok) << openText(open, kEnglish);
    EXPECT_EQ(rig.session.configurationCount(), configs);
    EXPECT_EQ(rig.requests.back().first, 0x1000);
    EXPECT_TRUE(rig.session.compareOffered());
    EXPECT_TRUE(rig.session.selectWrite(configs)) << "all of them";
    EXPECT_FALSE(rig.session.selectWrite(configs + 1));
    rig.image.configuration.maximumFlow += 1;
    EXPECT_FALSE(rig.session.compareOffered()) << "no longer the unit's data";
  }
  ConfigurationRig silent;
  silent.refuse = [](const Request&) { return true; };
  const OpenOutcome open = silent.session.openUnit();
  EXPECT_FALSE(open.ok);
  EXPECT_EQ(openText(open, kEnglish), "The unit does not answer");
}

TEST(ConfigurationSessionOnUnit, ReadingAnotherConfigurationSelectsItForWriting) {
  ConfigurationRig rig(18, [](unit::StoredBlocks& b) {
    b.configs[5][unit::cfg::kQMax + 2] = 125;  // 12.5
    b.configs[7][unit::cfg::kQMax + 2] = 77;
  });
  ASSERT_TRUE(rig.session.openUnit().ok);
  struct Step {
    int choose;
    bool unitAnswers;
    bool ok, read;
    int shown;
    float qMax;
  } steps[] = {
      {5, true, true, true, 5, 12.5f},   {5, true, true, false, 5, 12.5f},
      {7, false, false, true, 5, 12.5f}, {7, true, true, true, 7, 7.7f},
      {20, true, false, false, 7, 7.7f},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.choose);
    rig.refuse = [&](const Request&) { return !step.unitAnswers; };
    const std::size_t asked = rig.requests.size();
    const ReadOutcome r = rig.session.selectRead(step.choose);
    EXPECT_EQ(r.ok, step.ok) << readText(r, kEnglish);
    EXPECT_EQ(r.read, step.read);
    EXPECT_EQ(rig.requests.size() > asked, step.read);
    EXPECT_EQ(rig.session.readNumber(), step.shown);
    EXPECT_EQ(rig.session.writeNumber(), step.shown);
    EXPECT_FLOAT_EQ(rig.image.configuration.maximumFlow, step.qMax);
  }
}

TEST(ConfigurationSessionOnUnit, UploadAllWritesEveryConfigurationInOrderWithPauses) {
  ConfigurationRig rig;
  ASSERT_TRUE(rig.session.openUnit().ok);
  rig.session.selectRead(4);
  rig.image.configuration.pipeMaterial = 10;
  const Bytes block = rig.configurationBytes();
  ASSERT_TRUE(rig.session.selectWrite(18));
  rig.requests.clear();
  std::vector<std::string> shown;
  const UploadOutcome up = rig.session.upload([&](const std::string& t) { shown.push_back(t); });
  ASSERT_TRUE(up.ok) << uploadText(up, kEnglish);
  EXPECT_EQ(uploadText(up, kEnglish), "Configuration(s) written: 0 - 17");

  const std::vector<Request> writes = rig.writes();
  ASSERT_EQ(writes.size(), 18u);
  for (int k = 0; k < 18; ++k) {
    SCOPED_TRACE(k);
    const Request& w = writes[static_cast<std::size_t>(k)];
    EXPECT_EQ(w.first, 0x1000 + 0x100 * k);
    EXPECT_EQ(w.data, block);
    EXPECT_EQ(Bytes(rig.unit.stored().configs[static_cast<std::size_t>(k)].begin(),
                    rig.unit.stored().configs[static_cast<std::size_t>(k)].end()),
              block);
    EXPECT_EQ(shown[static_cast<std::size_t>(k)], "Transfert config n° " + std::to_string(k));
    if (k > 0) {
      EXPECT_GE(w.atMs - writes[static_cast<std::size_t>(k) - 1].atMs, 600);
    }
  }
  EXPECT_EQ(up.stepTexts, shown);
  EXPECT_EQ(rig.session.writeNumber(), 4) << "back to the configuration shown";
}

TEST(ConfigurationSessionOnUnit, ClockAndResetsComeBeforeTheConfiguration) {
  struct Case {
    const char* name;
    UploadRequests requests;
    std::vector<int> targets;  // first register of each write, in order
    std::vector<std::string> texts;
  };
  const Bytes clockBytes{4, 3, 5, 14, 7, 9};
  const Case cases[] = {
      {"nothing asked", {}, {0x1300}, {"Upload Configuration n°  3"}},
      {"clock only", {true, {}}, {0x2301, 0x1300}, {"Setup Time", "Upload Configuration n°  3"}},
      {"resets 1 and 3",
       {false, {true, false, true}},
       {0x2306, 0x1300},
       {"Reset Information", "Upload Configuration n°  3"}},
      {"clock and reset 2",
       {true, {false, true, false}},
       {0x2301, 0x2306, 0x1300},
       {"Setup Time", "Reset Information", "Upload Configuration n°  3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ConfigurationRig rig;
    rig.app.settings.Language = languageIndex(kEnglish);
    ASSERT_TRUE(rig.session.openUnit().ok);
    rig.session.selectWrite(3);
    rig.session.requests = c.requests;
    rig.requests.clear();
    const UploadOutcome up = rig.session.upload();
    ASSERT_TRUE(up.ok);
    EXPECT_EQ(up.stepTexts, c.texts);
    std::vector<int> targets;
    for (const Request& w : rig.writes()) {
      targets.push_back(w.first);
      if (w.first == 0x2301) {
        EXPECT_EQ(w.data, clockBytes);
      }
      if (w.first == 0x2306) {
        const auto& reset = c.requests.resetTotalizer;
        EXPECT_EQ(w.data, (Bytes{0, reset[0], 0, reset[1], 0, reset[2], 0, 0}));
      }
    }
    EXPECT_EQ(targets, c.targets);
    EXPECT_EQ(rig.session.requests, UploadRequests{}) << "cleared after success";
  }
}

TEST(ConfigurationSessionOnUnit, SpecialProbeOfAFileGoesToTheUnitsSlot) {
  struct Case {
    int probe;
    bool touchesFactory;
  };
  for (const Case& c : {Case{0, true}, Case{1, true}, Case{2, false}}) {
    SCOPED_TRACE(c.probe);
    TempDir dir;
    CalibrationFile file = defaultCalibrationFile({});
    file.identification.probes[0] = {"SPWide", 1250};
    file.identification.probes[1] = {"SPNär45", 4550};
    file.identification.FSp1 = 3;
    file.identification.T0Sp1 = 7;
    file.identification.FSp2 = 6;
    file.identification.T0Sp2 = 123;
    file.block[unit::cfg::kProbe] = static_cast<std::uint8_t>(c.probe);
    const std::string path = dir.file("sp.eta");
    ASSERT_TRUE(writeCalibrationFile(path, file).ok());

    ConfigurationRig rig;
    const OpenOutcome open = rig.session.openFile(path);
    ASSERT_TRUE(open.ok);
    EXPECT_EQ(rig.app.settings.probes[1].name, "SPNär45") << "the file's catalogue";
    EXPECT_EQ(rig.app.settings.T0Sp2, 123);
    rig.requests.clear();
    const UploadOutcome up = rig.session.upload();
    ASSERT_TRUE(up.ok) << uploadText(up, kEnglish);
    EXPECT_EQ(up.stepTexts, std::vector<std::string>{"Transfert config n° 0"});
    std::vector<std::pair<int, int>> asked;
    for (const Request& r : rig.requests) asked.push_back({r.function, r.first});
    const std::vector<std::pair<int, int>> expected =
        c.touchesFactory ? std::vector<std::pair<int, int>>{{3, 0x2200}, {16, 0x2200}, {3, 0x5000},
                                                            {3, 0x5100}, {3, 0x2200},  {16, 0x1000}}
                         : std::vector<std::pair<int, int>>{{16, 0x1000}};
    EXPECT_EQ(asked, expected) << "after the factory write the unit is identified again";
    if (!c.touchesFactory) continue;
    const auto& factory = rig.unit.stored().factory;
    const int base = c.probe == 0 ? unit::fac::kSp1Angle : unit::fac::kSp2Angle;
    const int angle = c.probe == 0 ? 1250 : 4550;
    EXPECT_EQ(
        factory[static_cast<std::size_t>(base)] << 8 | factory[static_cast<std::size_t>(base) + 1],
        angle);
    EXPECT_EQ(factory[static_cast<std::size_t>(base) + 2], c.probe == 0 ? 7 : 123) << "T0";
    EXPECT_EQ(factory[static_cast<std::size_t>(base) + 3], c.probe == 0 ? 3 : 6) << "frequency";
    const int text = c.probe == 0 ? unit::fac::kSp1Text : unit::fac::kSp2Text;
    const Bytes expectedText =
        c.probe == 0 ? Bytes{'W', 'i', 'd', 'e', ' ', ' '} : Bytes{'N', 0xE4, 'r', '4', '5', ' '};
    EXPECT_EQ(Bytes(factory.begin() + text, factory.begin() + text + 6), expectedText);
  }
}

// A fault plan on the write of one configuration of an upload to all of
// them: its acknowledgement spoiled on the way back after the unit carried
// it out, or the port not opening for it. The failure then says what the
// unit holds: the configurations acknowledged, the one that may or may not
// have been written (never named failed), those never sent; the unit's
// stored blocks say the same.
TEST(ConfigurationSessionOnUnit, AFailureSaysWhatTheUnitHolds) {
  enum class Plan { kLost, kGarbled, kCutShort, kNoPort };
  struct Case {
    const char* name;
    Plan plan;
    int at;  // the configuration whose write the plan spoils
    Language language;
    bool written;  // the unit holds the new block at `at`
    std::string text;
  } cases[] = {
      {"acknowledgement lost", Plan::kLost, 3, kEnglish, true,
       "Upload Failure\nConfiguration(s) written and acknowledged: 0 - 2\nConfiguration 3 may or "
       "may not have been written: its acknowledgement was lost or garbled\nConfiguration(s) not "
       "sent: 4 - 17"},
      {"configuration 0's acknowledgement garbled", Plan::kGarbled, 0, kFrench, true,
       "Téléchargement à échoué\nAucune configuration acquittée\nLa configuration 0 a pu être "
       "écrite ou non : son acquittement a été perdu ou altéré\nConfiguration(s) non envoyée(s) : "
       "1 - 17"},
      {"the last one's acknowledgement cut short", Plan::kCutShort, 17, kEnglish, true,
       "Upload Failure\nConfiguration(s) written and acknowledged: 0 - 16\nConfiguration 17 may "
       "or may not have been written: its acknowledgement was lost or garbled"},
      {"the port does not open", Plan::kNoPort, 2, kFrench, false,
       "Téléchargement à échoué\nConfiguration(s) écrite(s) et acquittée(s) : 0, 1\n"
       "Configuration 2 non envoyée\nConfiguration(s) non envoyée(s) : 3 - 17\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ConfigurationRig rig;
    ASSERT_TRUE(rig.session.openUnit().ok);
    rig.image.configuration.filter = 33;
    const Bytes block = rig.configurationBytes();
    rig.session.selectWrite(18);
    const int spoilt = 0x1000 + 0x100 * c.at;
    rig.spoil = [&rig, &c, spoilt](const Request& r, Bytes& reply) {
      if (r.function != 16) return;
      if (c.plan == Plan::kNoPort) {
        if (r.first == spoilt - 0x100) rig.line->openStatus = kPortNoDevice;
        return;
      }
      if (r.first != spoilt) return;
      if (c.plan == Plan::kLost) reply.clear();
      if (c.plan == Plan::kGarbled) reply.back() ^= 0x5A;
      if (c.plan == Plan::kCutShort) reply.pop_back();
    };
    const UploadOutcome up = rig.session.upload();
    EXPECT_FALSE(up.ok);
    EXPECT_EQ(up.failedStep, UploadStep::kConfiguration);
    EXPECT_EQ(up.failedNumber, c.at);
    const std::string text = uploadText(up, c.language);
    // The port's own reason follows the message when it did not open.
    EXPECT_EQ(text.substr(0, c.text.size()), c.text);
    if (c.plan != Plan::kNoPort) {
      EXPECT_EQ(text, c.text);
    }
    for (int k = 0; k < 18; ++k) {
      const auto& stored = rig.unit.stored().configs[static_cast<std::size_t>(k)];
      EXPECT_EQ(Bytes(stored.begin(), stored.end()) == block, k < c.at || (k == c.at && c.written))
          << k;
    }
    EXPECT_EQ(rig.writes().back().first, c.written ? spoilt : spoilt - 0x100)
        << "nothing after the failure";
    EXPECT_TRUE(rig.session.writesAll()) << "the request stays for another try";
  }

  ConfigurationRig rig;
  ASSERT_TRUE(rig.session.openUnit().ok);
  rig.session.requests.setClock = true;
  rig.refuse = [](const Request& r) { return r.first == 0x2301; };
  const UploadOutcome clock = rig.session.upload();
  EXPECT_EQ(clock.failedStep, UploadStep::kClock);
  EXPECT_EQ(uploadText(clock, kFrench),
            "Téléchargement à échoué\nMise à l'heure\nAucune configuration écrite");
}

TEST(ConfigurationSessionOnUnit, SavedFileReopensAndComparesWithTheUnit) {
  TempDir dir;
  ConfigurationRig rig(2, [](unit::StoredBlocks& b) {
    b.configs[0][unit::cfg::kMaterial] = 10;   // Acier / Steel
    b.configs[0][unit::cfg::kQMax + 2] = 100;  // 10.0
  });
  ASSERT_TRUE(rig.session.openUnit().ok);
  const std::string saved = dir.file("unit.eta");
  ASSERT_TRUE(rig.session.saveCalibration(saved).ok());
  EXPECT_EQ(fileBytes(saved).size(), 436u);

  ConfigurationRig other(2);
  ASSERT_TRUE(other.session.openFile(saved).ok);
  EXPECT_EQ(other.image.configuration, rig.image.configuration);
  EXPECT_EQ(other.app.settings.probes, rig.app.settings.probes);
  EXPECT_FALSE(other.session.compareOffered()) << "a file is not the unit's data";

  CalibrationFile qMax;
  ASSERT_TRUE(readCalibrationFile(saved, qMax).ok());
  qMax.block[unit::cfg::kQMax + 2] = 125;
  ASSERT_TRUE(writeCalibrationFile(dir.file("qmax.eta"), qMax).ok());
  CalibrationFile material = qMax;
  material.block[unit::cfg::kQMax + 2] = 100;
  material.block[unit::cfg::kMaterial] = 9;  // Inox
  ASSERT_TRUE(writeCalibrationFile(dir.file("material.eta"), material).ok());

  RegionalSettings comma;
  comma.decimalSeparator = ",";
  comma.dateSeparator = ".";
  struct Case {
    std::string file;
    Language language;
    std::string report;
    std::string lines;
  };
  const Case cases[] = {
      {"unit.eta", kFrench, "Ecart.prn", "Aucun écart entre unité et Fichier\n"},
      {"qmax.eta", kFrench, "Ecart1.prn",
       "Nom\tValeur Unité\tValeur Fichier\nQ Max\t+10,0\t+12,5\n"},
      {"material.eta", kEnglish, "Deviation.prn",
       "Name\tUnit Value\tFile Value\nMaterial\tSteel\tSt. steel\n"},
      {"material.eta", kFrench, "Ecart2.prn",
       "Nom\tValeur Unité\tValeur Fichier\nMatériau\tAcier\tInox\n"},
  };
  const ConfigurationRegion shown = rig.image.configuration;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    rig.app.settings.Language = languageIndex(c.language);
    const ComparisonOutcome out = rig.session.compare(dir.file(c.file), dir.path() + "/", comma);
    ASSERT_TRUE(out.ok) << comparisonText(out, kEnglish);
    EXPECT_EQ(out.reportPath, dir.file(c.report));
    const std::string title = c.language == kFrench ? "Ecart entre Unité et Fichier "
                                                    : "Deviation between Unit and File ";
    const std::string head =
        (c.language == kFrench ? "Unité N° _____________\n" : "Unit N° _____________\n") + title +
        " " + dir.file(c.file) + "\n" + (c.language == kFrench ? "Fait le :" : "Date :") +
        "05.03.2004 14:07:09\nVisa : __________\n\n";
    EXPECT_EQ(testing::wholeFile(out.reportPath), head + c.lines);
    EXPECT_EQ(comparisonText(out, c.language),
              title + dir.file(c.file) + "\n" +
                  (c.language == kFrench ? "Voir Fichier " : "Look File ") + out.reportPath);
    EXPECT_EQ(rig.image.configuration, shown) << "the unit's values stay";
    EXPECT_TRUE(rig.session.compareOffered());
  }
  const ComparisonOutcome missing = rig.session.compare(dir.file("none.eta"), dir.path() + "/", {});
  EXPECT_FALSE(missing.ok);
  EXPECT_NE(comparisonText(missing, kEnglish).find("none.eta"), std::string::npos);
}

TEST(ConfigurationSessionOnUnit, AShortFileBlockGivesTheMissingFieldsTheirDefaultsAndSaysSo) {
  TempDir dir;
  ConfigurationRig rig(2, [](unit::StoredBlocks& b) {
    b.configs[0][unit::cfg::kMaterial] = 10;
    b.configs[0][unit::cfg::kQMax + 2] = 125;
  });
  ASSERT_TRUE(rig.session.openUnit().ok);
  const std::string path = dir.file("short.eta");
  CalibrationFile file = rig.session.calibrationFile();
  file.block.resize(12);
  ASSERT_TRUE(writeCalibrationFile(path, file).ok());
  ASSERT_EQ(rig.image.configuration.pipeMaterial, 10) << "the screen held the unit's values";

  const OpenOutcome open = rig.session.openFile(path);
  ASSERT_TRUE(open.ok);
  EXPECT_EQ(open.shortBlockBytes, 12);
  EXPECT_EQ(rig.image.configuration.pipeMaterial, 6);
  EXPECT_EQ(rig.image.configuration.maximumFlow, 10.0f);
  EXPECT_EQ(openText(open, kEnglish),
            "The file holds only 12 of a configuration's 124 bytes: the other fields take "
            "their defaults");
  EXPECT_TRUE(openText(rig.session.openFile(dir.file("none.eta")), kEnglish).find("none.eta") !=
              std::string::npos);

  // A whole block says nothing; compared, the short file's missing fields
  // count as their defaults too.
  const std::string whole = dir.file("whole.eta");
  ASSERT_TRUE(rig.session.openUnit().ok);
  ASSERT_TRUE(rig.session.saveCalibration(whole).ok());
  EXPECT_EQ(openText(rig.session.openFile(whole), kEnglish), "");
  ASSERT_TRUE(rig.session.openUnit().ok);
  const ComparisonOutcome out = rig.session.compare(path, dir.path() + "/", {});
  ASSERT_TRUE(out.ok);
  const std::string report = testing::wholeFile(out.reportPath);
  EXPECT_NE(report.find("Q Max\t+12.5\t+10.0\n"), std::string::npos) << report;
}

}  // namespace
}  // namespace flowdesk
