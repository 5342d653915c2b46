// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "base/ValueLists.h"
#include "base/Windows1252.h"

namespace flowdesk {
namespace {

using Items = std::vector<std::string>;

TEST(ValueLists, EveryListHasItsCountAndNoEmptyItem) {
  const struct {
    const char* name;
    const ValueList& list;
    int count;
    bool bilingual;
  } cases[] = {
      {"PortList", PortList, 4, false},
      {"BaudList", BaudList, 6, false},
      {"LanguageList", LanguageList, 2, false},
      {"ReplyEndList", ReplyEndList, 2, true},
      {"MountingList", MountingList, 4, true},
      {"DiameterTypeList", DiameterTypeList, 3, true},
      {"MaterialList", MaterialList, 13, true},
      {"ProductList", ProductList, 2, true},
      {"FlowUnitList", FlowUnitList, 6, true},
      {"KhModeList", KhModeList, 2, true},
      {"TotalizerModeList", TotalizerModeList, 5, false},
      {"RelayTypeList", RelayTypeList, 9, true},
      {"PulseWidthList", PulseWidthList, 12, false},
      {"CurrentOutputList", CurrentOutputList, 7, false},
      {"PeriodList", PeriodList, kPeriodCount, true},
      {"LoggerTypeList", LoggerTypeList, 2, true},
      {"AverageFlowList", AverageFlowList, 1, true},
      {"LoggedQuantityList", LoggedQuantityList, kLoggedQuantityCount, true},
      {"UnitTypeList", UnitTypeList, 7, true},
      {"FunctionList", FunctionList, 2, true},
      {"PolarityList", PolarityList, 2, true},
      {"FrequencyList", FrequencyList, 13, false},
      {"DisplayLanguageList", DisplayLanguageList, 5, false},
      {"YesNoList", YesNoList, 2, true},
      {"BacklightList", BacklightList, 7, true},
      {"ConfigurationNumberList", ConfigurationNumberList, 18, true},
      {"ConfigurationNumberList2", ConfigurationNumberList2, 2, true},
      {"ConfigurationChoiceList", ConfigurationChoiceList, 19, true},
      {"ConfigurationChoiceList2", ConfigurationChoiceList2, 3, true},
      {"EchoKindPrefixList", EchoKindPrefixList, 4, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.list.bilingual, c.bilingual);
    EXPECT_EQ(c.list.count(), c.count);
    EXPECT_EQ(c.list.items.size(), static_cast<std::size_t>(c.bilingual ? 2 * c.count : c.count));
    for (const char* item : c.list.items) {
      ASSERT_NE(item, nullptr);
      EXPECT_GT(utf8Length(item), 0u);
      EXPECT_LE(utf8Length(item), 99u);  // the widest a list item may be
    }
  }
}

TEST(ValueLists, LoggedQuantitiesAreSevenCharactersWide) {
  for (Language language : {kFrench, kEnglish}) {
    for (int i = 0; i < kLoggedQuantityCount; ++i) {
      EXPECT_EQ(utf8Length(listItem(LoggedQuantityList, language, i)),
                static_cast<std::size_t>(kLoggedQuantityWidth))
          << languageIndex(language) << " " << i;
    }
  }
  const struct {
    int index;
    const char* french;
    const char* english;
  } cases[] = {{5, "Q moy  ", "Q Aver "},
               {20, "Etat   ", "Status "},
               {17, "T1(°C) ", "T1(°C) "},
               {38, "Deltat6", "Deltat6"}};
  for (const auto& c : cases) {
    EXPECT_STREQ(listItem(LoggedQuantityList, kFrench, c.index), c.french);
    EXPECT_STREQ(listItem(LoggedQuantityList, kEnglish, c.index), c.english);
  }
}

TEST(ValueLists, ItemInTheCurrentLanguage) {
  const struct {
    const ValueList& list;
    Language language;
    int index;
    const char* expected;
  } cases[] = {
      {MaterialList, kFrench, 1, "Teflon"},
      {MaterialList, kEnglish, 1, "PTFE"},
      {MaterialList, languageOf(7), 1, "Teflon"},  // an unknown language reads French
      {FlowUnitList, kEnglish, 5, "m3/d"},
      {FlowUnitList, kFrench, 5, "m3/j"},
      {UnitTypeList, kEnglish, 0, "NONE"},
      {PortList, kEnglish, 3, "Com4"},  // same items in both languages
      {ConfigurationChoiceList, kEnglish, 18, "ALL"},
      {ConfigurationChoiceList2, kFrench, 2, "Toutes"},
      {MaterialList, kEnglish, 13, ""},  // past the list
      {MaterialList, kEnglish, -1, ""},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(listItem(c.list, c.language, c.index), c.expected)
        << languageIndex(c.language) << " " << c.index;
  }
}

TEST(ValueLists, FillShowsTheFirstNItemsUpToAnEmptyOne) {
  static constexpr const char* kGappy[] = {"a", "b", "", "d", "A", "B", "", "D"};
  const ValueList gappy{kGappy, true};
  const struct {
    const char* what;
    const ValueList& list;
    int n;
    Language language;
    Items expected;
  } cases[] = {
      {"bilingual N 6 in English: elements 6 to 11",
       FlowUnitList,
       6,
       kEnglish,
       {" l/s", "l/mn", " l/h", "m3/s", "m3/h", "m3/d"}},
      {"the same in French",
       FlowUnitList,
       6,
       kFrench,
       {" l/s", "l/mn", " l/h", "m3/s", "m3/h", "m3/j"}},
      {"frequency list bound with N 8",
       FrequencyList,
       kFrequencyCountSpecialProbe,
       kEnglish,
       {"5 MHz", "4 MHz", "3 MHz", "2 MHz", "1 MHz", "500 kHz", "350 kHz", "300 kHz"}},
      {"totalizer modes: the measurement screen shows mode 4 too",
       TotalizerModeList,
       TotalizerModeList.count(),
       kFrench,
       {"OFF", "(+/-)", "(+)", "(-)", "(KWh)"}},
      {"bilingual list bound short still shows English",
       RelayTypeList,
       2,
       kEnglish,
       {"Open", "Close"}},
      {"an empty item ends the list", gappy, 4, kFrench, {"a", "b"}},
      {"and in English", gappy, 4, kEnglish, {"A", "B"}},
      {"N beyond the list stops at its end", ProductList, 10, kEnglish, {"Water", "Other"}},
      {"N 0 shows nothing", ProductList, 0, kEnglish, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(fillItems(c.list, c.n, c.language), c.expected) << c.what;
}

TEST(ValueLists, SelectionOutsideTheListFallsBackToTheFirstItem) {
  const struct {
    std::int32_t variable;
    int n;
    int expected;
  } cases[] = {{0, 4, 0},  {3, 4, 3},         {4, 4, 0}, {100, 4, 0},
               {-1, 4, 0}, {INT32_MIN, 4, 0}, {2, 3, 2}};  // may point past the items shown when
                                                           // one was empty
  for (const auto& c : cases) EXPECT_EQ(fillSelection(c.variable, c.n), c.expected) << c.variable;
}

TEST(ValueLists, ListTextShowsStarsForAnIndexBeyondN) {
  const struct {
    const ValueList& list;
    int n;
    std::int32_t variable;
    Language language;
    const char* expected;
  } cases[] = {
      {TotalizerModeList, 4, 3, kEnglish, "(-)"},
      {TotalizerModeList, 4, 4, kEnglish, "*****"},  // held by the list but beyond N
      {KhModeList, 2, 1, kEnglish, "(Manu)"},
      {YesNoList, 2, 1, kEnglish, "Yes"},
      {YesNoList, 2, 2, kEnglish, "*****"},
      {YesNoList, 2, -1, kFrench, "*****"},
      {YesNoList, 5, 3, kFrench, "*****"},  // N larger than the list: no item there
  };
  for (const auto& c : cases) {
    EXPECT_EQ(listText(c.list, c.n, c.variable, c.language), c.expected) << c.variable;
  }
}

TEST(ValueLists, ConfigurationListsFollowTheUnitsConfigurationCount) {
  EXPECT_EQ(&configurationNumberList(2), &ConfigurationNumberList2);
  EXPECT_EQ(&configurationNumberList(18), &ConfigurationNumberList);
  EXPECT_EQ(&configurationChoiceList(2), &ConfigurationChoiceList2);
  EXPECT_EQ(&configurationChoiceList(18), &ConfigurationChoiceList);
  EXPECT_EQ(fillItems(ConfigurationChoiceList2, 3, kEnglish), (Items{"0", "1", "ALL"}));
  EXPECT_STREQ(listItem(ConfigurationNumberList, kFrench, 17), "17");
}

TEST(ValueLists, PeriodSeconds) {
  const struct {
    int index;
    std::uint32_t seconds;
  } cases[] = {{0, 1},     {3, 30},     {4, 60},     {7, 600}, {9, 1800},
               {10, 3600}, {12, 21600}, {14, 86400}, {15, 0},  {-1, 0}};
  for (const auto& c : cases) EXPECT_EQ(periodSeconds(c.index), c.seconds) << c.index;
}

TEST(ValueLists, ProbeNamesAreCopiedWhenTheListIsBuilt) {
  ProbeCatalogue catalogue{};
  for (int i = 0; i < kProbeCount; ++i) catalogue[i].name = "P" + std::to_string(i);
  catalogue[2].name = "SP N°1";

  auto built = std::make_unique<ProbeNameList>(catalogue);
  const ProbeNameList copy = *built;
  built.reset();                  // the copy must not point into the destroyed list
  catalogue[0].name = "changed";  // nor follow the catalogue afterwards

  const ValueList& list = copy;
  EXPECT_EQ(list.count(), kProbeCount);
  EXPECT_STREQ(listItem(list, kEnglish, 0), "P0");
  EXPECT_STREQ(listItem(list, kFrench, 2), "SP N°1");
  EXPECT_EQ(fillItems(list, kProbeCount, kFrench).size(), static_cast<std::size_t>(kProbeCount));

  catalogue[5].name.clear();  // an emptied entry ends the list when filling
  EXPECT_EQ(fillItems(ProbeNameList(catalogue), kProbeCount, kFrench).size(), 5u);
}

}  // namespace
}  // namespace flowdesk
