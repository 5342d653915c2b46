// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Texts.h"
#include "files/FileKinds.h"

namespace flowdesk {
namespace {

TEST(FileKinds, SevenKindsInMatchingOrder) {
  const struct {
    FileKind kind;
    const char* extension;
    const char* french;
    const char* english;
    bool newFromDefaults;
  } expected[] = {
      {FileKind::kMeasurement, "mes", "Fichier Mesure", "Measurement File", false},
      {FileKind::kCalibration, "eta", "Fichier Etalonnage", "Calibration File", true},
      {FileKind::kFactorySettings, "rus", "Fichier Réglage Usine", "Factory Settings File", true},
      {FileKind::kMakerSettings, "nvd", "Fichier Réglage NORVADINE", "NORVADINE Settings File",
       true},
      {FileKind::kLogger, "log", "Fichier Logger", "Logger File", false},
      {FileKind::kEcho, "ech", "Fichier Echo", "Echo File", false},
      {FileKind::kSpecialProbe, "csp540", "", "", true},
  };
  const auto kinds = fileKinds();
  ASSERT_EQ(kinds.size(), std::size(expected));
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    const auto& e = expected[i];
    SCOPED_TRACE(e.extension);
    EXPECT_EQ(kinds[i].kind, e.kind);
    EXPECT_STREQ(kinds[i].extension, e.extension);
    EXPECT_STREQ(kinds[i].description.text(kFrench), e.french);
    EXPECT_STREQ(kinds[i].description.text(kEnglish), e.english);
    EXPECT_EQ(kinds[i].newFromDefaults, e.newFromDefaults);
    EXPECT_EQ(&fileKindInfo(e.kind), &kinds[i]);
    EXPECT_EQ(fileKindByExtension(e.extension), &kinds[i]);
  }
}

TEST(FileKinds, ExtensionDecidesCaseSensitively) {
  const struct {
    const char* path;
    const FileKind* kind;  // nullptr: no kind
  } cases[] = {
      {"/home/op/Data/Nouveau.eta", &fileKindInfo(FileKind::kCalibration).kind},
      {"/home/op/a.b/x.old.log", &fileKindInfo(FileKind::kLogger).kind},
      {"probe.csp540", &fileKindInfo(FileKind::kSpecialProbe).kind},
      {"/home/op/X.ETA", nullptr},
      {"/home/op/x.eta.bak", nullptr},
      {"/home/op/dir.eta/x", nullptr},
      {"/home/op/noextension", nullptr},
      {"/home/op/x.csp54", nullptr},
      {"", nullptr},
  };
  for (const auto& c : cases) {
    const FileKindInfo* found = fileKindOfPath(c.path);
    if (c.kind == nullptr) {
      EXPECT_EQ(found, nullptr) << c.path;
    } else {
      ASSERT_NE(found, nullptr) << c.path;
      EXPECT_EQ(found->kind, *c.kind) << c.path;
    }
  }
}

TEST(FileKinds, FilterTexts) {
  const struct {
    std::string actual;
    const char* expected;
  } cases[] = {
      {filterText(fileKindInfo(FileKind::kCalibration), kFrench),
       "Fichier Etalonnage (*.eta)|*.eta|"},
      {filterText(fileKindInfo(FileKind::kFactorySettings), kEnglish),
       "Factory Settings File (*.rus)|*.rus|"},
      {openFilterText(kFrench, false, false),
       "(*.*)|*.mes;*.eta;*.log;*.ech;*.csp540|"
       "Fichier Mesure (*.mes)|*.mes|Fichier Etalonnage (*.eta)|*.eta|"
       "Fichier Logger (*.log)|*.log|Fichier Echo (*.ech)|*.ech|"},
      {openFilterText(kEnglish, true, true),
       "(*.*)|*.mes;*.eta;*.log;*.ech;*.csp540;*.rus;*.nvd|"
       "Measurement File (*.mes)|*.mes|Calibration File (*.eta)|*.eta|"
       "Logger File (*.log)|*.log|Echo File (*.ech)|*.ech|"
       "Factory Settings File (*.rus)|*.rus|NORVADINE Settings File (*.nvd)|*.nvd|"},
      {openFilterText(kEnglish, false, true),
       "(*.*)|*.mes;*.eta;*.log;*.ech;*.csp540;*.nvd|"
       "Measurement File (*.mes)|*.mes|Calibration File (*.eta)|*.eta|"
       "Logger File (*.log)|*.log|Echo File (*.ech)|*.ech|"
       "NORVADINE Settings File (*.nvd)|*.nvd|"},
      {programFilterText(kEnglish), "SpreadSheet(.exe)|*.exe|"},
      {prnFilterText(kFrench), "Fichier de Sortie(*.prn)|*.prn|"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.actual, c.expected);
}

TEST(FileKinds, QtFiltersShowThePatternsTheyApply) {
  const struct {
    std::string filter;
    std::vector<std::string> expected;
  } cases[] = {
      {filterText(fileKindInfo(FileKind::kCalibration), kFrench), {"Fichier Etalonnage (*.eta)"}},
      {openFilterText(kFrench, true, false),
       {"(*.mes *.eta *.log *.ech *.csp540 *.rus)", "Fichier Mesure (*.mes)",
        "Fichier Etalonnage (*.eta)", "Fichier Logger (*.log)", "Fichier Echo (*.ech)",
        "Fichier Réglage Usine (*.rus)"}},
      {programFilterText(kFrench), {"Tableur (*.exe)"}},
      {prnFilterText(kEnglish), {"File Out (*.prn)"}},
      {filterText("", "csp540"), {"(*.csp540)"}},
      {"", {}},
      {"no bar at all", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(qtFilters(c.filter), c.expected) << c.filter;
  EXPECT_EQ(qtFilterString("A (*.a)|*.a|B (*.b)|*.b|"), "A (*.a);;B (*.b)");
}

}  // namespace
}  // namespace flowdesk
