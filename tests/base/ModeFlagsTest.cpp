// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <map>

#include "base/BilingualText.h"
#include "base/ModeFlags.h"
#include "base/VersionStrings.h"

namespace flowdesk {
namespace {

struct FlagCase {
  const char* commandLine;
  bool factory, maker, initialisation;
};

TEST(ModeFlags, NestedSubstringSwitches) {
  const FlagCase cases[] = {
      {"", false, false, false},
      {"-q", true, false, false},
      {"-q -kRwT", true, true, false},
      {"-q -kRwT boot", true, true, true},
      {"-kRwT -q", true, true, false},  // order does not matter
      {"-kRwT", false, false, false},   // no outer switch, no maker mode
      {"-kRwT boot", false, false, false},
      {"boot", false, false, false},
      {"-q boot", true, false, false},  // boot needs -kRwT too
      {"--x-qy", true, false, false},   // found inside a longer argument
      {"file-q.eta X-kRwTX reboot", true, true, true},
      {"-q -XkRwT boot", true, false, false},  // the dash belongs to the switch
      {"-Q -KRWT BOOT", false, false, false},  // case-sensitive
      {"-q -krwt boot", true, false, false},
      {"-q -kRwT BOOT", true, true, false},
      {"- q", false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.commandLine);
    const ModeFlags f = ModeFlags::fromCommandLine(c.commandLine, false);
    EXPECT_EQ(f.factory, c.factory);
    EXPECT_EQ(f.maker, c.maker);
    EXPECT_EQ(f.initialisation, c.initialisation);
    EXPECT_FALSE(f.unitTypeSelector);
  }
}

TEST(ModeFlags, UnitTypeSelectorFollowsTheVariableOnly) {
  const struct {
    std::map<std::string, std::string> env;
    bool expected;
  } cases[] = {
      {{}, false},
      {{{"Nvd_App", ""}}, true},  // exists, even empty
      {{{"Nvd_App", "1"}}, true},
      {{{"NVD_APP", "1"}, {"Nvd_app", "1"}}, false},
  };
  for (const auto& c : cases) {
    const EnvironmentLookup env = [&c](const std::string& name) -> std::optional<std::string> {
      const auto it = c.env.find(name);
      if (it == c.env.end()) return std::nullopt;
      return it->second;
    };
    EXPECT_EQ(ModeFlags::fromCommandLine("", env).unitTypeSelector, c.expected);
    // The variable does not stand in for any switch, nor the reverse.
    const ModeFlags f = ModeFlags::fromCommandLine("-q -kRwT boot", env);
    EXPECT_EQ(f.unitTypeSelector, c.expected);
    EXPECT_TRUE(f.initialisation);
  }
}

TEST(ModeFlags, CommandLineIsTheArgumentsJoinedWithoutTheProgram) {
  const char* withSwitches[] = {"/usr/bin/flowdesk", "-q", "-kRwT", "boot"};
  EXPECT_EQ(joinCommandLine(4, withSwitches), "-q -kRwT boot");
  // Switches split over two arguments stay apart.
  const char* split[] = {"flowdesk", "-", "q"};
  EXPECT_FALSE(ModeFlags::fromCommandLine(joinCommandLine(3, split), false).factory);
  // The program's own folder never counts.
  const char* folder[] = {"/opt/tools-q/flowdesk"};
  EXPECT_EQ(joinCommandLine(1, folder), "");
  EXPECT_EQ(joinCommandLine(0, nullptr), "");
}

TEST(VersionStrings, KeysNameTheirOwnTexts) {
  const VersionStrings v{"a", "b", "c", "d", "e", "c-en", ""};
  EXPECT_EQ(v.value("InternalName"), "a");
  EXPECT_EQ(v.value("FileVersion"), "b");
  EXPECT_EQ(v.value("FileDescription"), "c");
  EXPECT_EQ(v.value("LegalCopyright"), "d");
  EXPECT_EQ(v.value("CompanyName"), "e");
  EXPECT_EQ(v.value("ProductName"), "");
  EXPECT_EQ(v.value("internalname"), "");

  // The worded texts follow the language; one without an English form
  // stays as it is.
  const struct {
    Language language;
    const char* description;
    const char* copyright;
  } shown[] = {{kFrench, "c", "d"}, {kEnglish, "c-en", "d"}, {languageOf(7), "c", "d"}};
  for (const auto& c : shown) {
    const VersionStrings in = v.in(c.language);
    EXPECT_EQ(in.FileDescription, c.description) << languageIndex(c.language);
    EXPECT_EQ(in.LegalCopyright, c.copyright) << languageIndex(c.language);
    EXPECT_EQ(in.InternalName, "a");
    EXPECT_EQ(in.FileVersion, "b");
    EXPECT_EQ(in.CompanyName, "e");
  }

  // The build's own: French texts, each worded one with its English form.
  const VersionStrings built = VersionStrings::load();
  EXPECT_EQ(built.InternalName, "flowdesk");
  EXPECT_FALSE(built.FileVersion.empty());
  for (const std::string* french : {&built.FileDescription, &built.LegalCopyright}) {
    EXPECT_NE(french->find("é"), std::string::npos) << *french;
  }
  EXPECT_NE(built.in(kEnglish).FileDescription, built.FileDescription);
  EXPECT_NE(built.in(kEnglish).LegalCopyright, built.LegalCopyright);
}

}  // namespace
}  // namespace flowdesk
