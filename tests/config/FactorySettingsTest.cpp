// SPDX-License-Identifier: GPL-3.0-or-later
// The factory comparison and the maker file's carried bytes, through the
// screens' sessions on files.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "config/FactoryFile.h"
#include "config/FactorySession.h"
#include "config/MakerFile.h"
#include "config/MakerSession.h"
#include "link/AppContext.h"
#include "support/Processes.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::fileBytes;
using testing::TempDir;

struct Rig {
  TempDir dir;
  DeviceImage image;
  AppContext context{systemClock(), image};
};

TEST(FactoryComparison, ListsEachDeviationWithTheUnitValueFirst) {
  RegionalSettings comma;
  comma.decimalSeparator = ",";
  const struct {
    const char* what;
    std::function<void(Bytes&)> changeFile;
    std::function<void(FactoryRegion&)> changeScreen;
    Language language;
    RegionalSettings regional;
    std::vector<std::string> lines;  // after the header; empty: no deviation
  } cases[] = {
      {"same", [](Bytes&) {}, {}, kEnglish, {}, {}},
      {"coefficient", [](Bytes& b) { b[62] = 15; }, {}, kFrench, comma, {"Coef S. Ext.\t1,0\t1,5"}},
      {"language", [](Bytes& b) { b[63] = 1; }, {}, kFrench, {}, {"Langue\tFRANCAIS\tENGLISH"}},
      {"text", [](Bytes& b) { b[25] = 'Z'; }, {}, kEnglish, {}, {"Text SP2\t      \tZ     "}},
      // A line feed or a tab of the file's text must not break the report's
      // line in two.
      {"control characters in a text",
       [](Bytes& b) { b[25] = '\n', b[26] = '\t'; },
       {},
       kEnglish,
       {},
       {"Text SP2\t      \t??    "}},
      // A cleared edit sends the same blanks the unit holds: no deviation.
      {"cleared text",
       [](Bytes&) {},
       [](FactoryRegion& f) { f.specialProbes[0].text.clear(); },
       kFrench,
       {},
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig;
    rig.context.settings.Language = languageIndex(c.language);
    const std::string unitFile = rig.dir.file("unit.rus");
    ASSERT_TRUE(writeFactoryFile(unitFile, defaultFactoryFile()).ok());
    FactoryFile other = defaultFactoryFile();
    c.changeFile(other.block);
    const std::string otherFile = rig.dir.file("other.rus");
    ASSERT_TRUE(writeFactoryFile(otherFile, other).ok());

    FactorySession session(rig.context);
    session.localTime = [] { return LocalDateTime{2004, 3, 5, 14, 7, 9}; };
    ASSERT_TRUE(session.openFile(unitFile).ok);
    if (c.changeScreen) c.changeScreen(rig.image.factory);
    const FactoryRegion shown = rig.image.factory;
    const ComparisonOutcome out = session.compare(otherFile, rig.dir.path() + "/", c.regional);
    ASSERT_TRUE(out.ok) << comparisonText(out, c.language);
    EXPECT_EQ(out.differences, static_cast<int>(c.lines.size()));
    EXPECT_EQ(rig.image.factory, shown);  // the screen keeps its own values

    const std::string report = testing::wholeFile(out.reportPath);
    std::string tail;
    if (c.lines.empty()) {
      tail = c.language == kEnglish ? "None deviation between Unit and File\n"
                                    : "Aucun écart entre unité et Fichier\n";
    } else {
      tail = c.language == kEnglish ? "Name\tUnit Value\tFile Value\n"
                                    : "Nom\tValeur Unité\tValeur Fichier\n";
      for (const std::string& line : c.lines) tail += line + "\n";
    }
    EXPECT_TRUE(report.ends_with("\n\n" + tail)) << report;
    EXPECT_NE(report.find(otherFile + "\n"), std::string::npos) << report;
  }
}

TEST(MakerSession, SavingKeepsTheReservedBytesAndTheOpenedFilesSecondPart) {
  const struct {
    const char* what;
    Bytes file;
    Bytes saved;
  } cases[] = {
      {"reserved bytes and a second part",
       {12, 0, 4, 0, 1, 94, 0, 1, 0xAB, 0xCD, 0x2A, 0xF8, 0xD6, 0xD8, 3, 0, 9, 8, 7, 6},
       {12, 0, 4, 0, 1, 94, 0, 1, 0xAB, 0xCD, 0x2A, 0xF8, 0xD6, 0xD8, 3, 0, 9, 8, 7, 6}},
      {"out-of-range parts clamped, odd second part kept",
       {12, 0, 2, 0, 0, 100, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 9, 0, 1, 2},
       {12, 0, 2, 0, 1, 99, 0xFF, 0xFF, 0, 0, 0, 1, 0, 1, 0, 0, 1, 2}},
      {"short block: the fields it lacks take their defaults",
       {2, 0, 0, 0, 7, 33},
       {12, 0, 0, 0, 7, 33, 0, 1, 0, 0, 0x2A, 0xF8, 0xD6, 0xD8, 1, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig;
    const std::string in = rig.dir.file("in.nvd");
    testing::putFile(in, c.file);
    MakerSession session(rig.context);
    ASSERT_TRUE(session.openFile(in).ok);
    const std::string out = rig.dir.file("out.nvd");
    ASSERT_TRUE(session.save(out).ok());
    EXPECT_EQ(fileBytes(out), c.saved);
  }
}

}  // namespace
}  // namespace flowdesk
