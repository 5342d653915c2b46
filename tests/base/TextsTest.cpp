// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Texts.h"

namespace flowdesk {
namespace {

// Strict UTF-8 check: a text saved or typed in another encoding shows up as
// broken characters on every screen.
bool isUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t extra = 0;
    if (c < 0x80) {
      extra = 0;
    } else if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
    } else {
      return false;
    }
    if (i + extra >= s.size()) return false;  // sequence cut short
    for (std::size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

// The list and the constants come from one table, so every constant is in the
// list the next test walks; this checks the list pairs each name with its own
// constant (first, last and a few between).
TEST(Texts, ListedPairsAreTheirConstants) {
  std::map<std::string_view, BilingualText> listed;
  for (const auto& t : allTexts()) listed.emplace(t.name, t.text);
  const struct {
    const char* name;
    BilingualText text;
  } cases[] = {
      {"kTxtMenuFile", kTxtMenuFile},
      {"kTxtRecordCounts", kTxtRecordCounts},
      {"kTxtDeviationHeader", kTxtDeviationHeader},
      {"kTxtButtonPoolFull", kTxtButtonPoolFull},
  };
  for (const auto& c : cases) {
    const auto found = listed.find(c.name);
    ASSERT_NE(found, listed.end()) << c.name;
    EXPECT_STREQ(found->second.french(), c.text.french()) << c.name;
    EXPECT_STREQ(found->second.english(), c.text.english()) << c.name;
  }
}

TEST(Texts, EveryPairIsPresentNamedOnceAndValidUtf8) {
  std::set<std::string> names;
  std::set<std::pair<std::string, std::string>> pairs;
  for (const auto& t : allTexts()) {
    SCOPED_TRACE(t.name);
    EXPECT_EQ(std::string_view(t.name).substr(0, 4), "kTxt");
    EXPECT_TRUE(names.insert(t.name).second) << "name listed twice";
    ASSERT_NE(t.text.french(), nullptr);
    ASSERT_NE(t.text.english(), nullptr);
    EXPECT_GT(std::strlen(t.text.french()), 0u);
    EXPECT_GT(std::strlen(t.text.english()), 0u);
    EXPECT_TRUE(isUtf8(t.text.french()));
    EXPECT_TRUE(isUtf8(t.text.english()));
    // A pair shared by several screens must exist once, or a correction of
    // one copy would miss the others.
    EXPECT_TRUE(pairs.insert({t.text.french(), t.text.english()}).second) << "pair defined twice";
  }
  EXPECT_GE(allTexts().size(), 290u);
}

TEST(Texts, BlanksTabsAndLineBreaksArePartOfTheText) {
  const struct {
    BilingualText text;
    const char* french;
    const char* english;
  } cases[] = {
      {kTxtDeviationHeader, "Nom\tValeur Unit\xC3\xA9\tValeur Fichier\n",
       "Name\tUnit Value\tFile Value\n"},
      {kTxtAboutTitle, "A Propos de ", "About "},
      {kTxtUploadConfigurationNo, "Transfert config n\xC2\xB0", "Upload Configuration n\xC2\xB0 "},
      {kTxtRecordCounts, "Nbre d'Enregistrements=%d  N\xC2\xB0 d'Enregistrement=%d",
       "Total Records=%d  Record N\xC2\xB0=%d"},
      {kTxtDeviationTitle, "Ecart entre Unit\xC3\xA9 et Fichier ",
       "Deviation between Unit and File "},
      {kTxtLookFile, "Voir Fichier ", "Look File "},
      {kTxtUploadFailure, "T\xC3\xA9l\xC3\xA9\x63hargement \xC3\xA0 \xC3\xA9\x63hou\xC3\xA9",
       "Upload Failure"},
      {kTxtMenuExit, "&Quitter", "E&xit"},
      {kTxtMenuNorvadineSettings, "Réglage &NORVADINE", "&NORVADINE Settings"},
      {kTxtColumnT, "T (\xC2\xB5s)", "T (\xC2\xB5s)"},
      {kTxtNewFileBase, "Nouveau", "New"},
      {kTxtDeviation, "Ecart", "Deviation"},
      {kTxtPleaseWait, "Veuillez patienter", "Please wait"},
      {kTxtComboPoolFull, "Taille ComboBox Trop faible", "Taille ComboBox Trop faible"},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(c.text.text(kFrench), c.french);
    EXPECT_STREQ(c.text.text(kEnglish), c.english);
  }
}

// A French operator reads French: a text the same in both languages is a
// name, a unit or a code, never English words.
TEST(Texts, NoEnglishWordsInFrench) {
  struct Entry {
    const char* name;
    const char* french;
    const char* english;
  };
  static constexpr Entry kTable[] = {
#define FLOWDESK_TEXT(name, french, english) {#name, french, english},
#include "base/TextTable.inc"
#undef FLOWDESK_TEXT
  };
  // Words of an English sentence that French never uses.
  const char* const kEnglishWords[] = {"the",    "error", "failed", "failure", "connect",
                                       "print",  "file",  "cannot", "could",   "please",
                                       "wait",   "open",  "save",   "unit",    "device",
                                       "answer", "not",   "is",     "was",     "with"};
  const auto words = [](std::string text) {
    for (char& ch : text)
      ch = std::isalpha(static_cast<unsigned char>(ch)) ? std::tolower(ch) : ' ';
    std::vector<std::string> found;
    std::istringstream in(text);
    for (std::string w; in >> w;) found.push_back(w);
    return found;
  };
  ASSERT_GT(std::size(kTable), 300u);
  int same = 0;
  for (const Entry& e : kTable) {
    if (std::string_view(e.french) != e.english) continue;
    ++same;
    for (const std::string& w : words(e.french)) {
      for (const char* english : kEnglishWords) {
        EXPECT_NE(w, english) << e.name << ": \"" << e.french << "\" in French";
      }
    }
  }
  EXPECT_GT(same, 0) << "the units and codes are the same in both";
}

TEST(Texts, AnyLanguageButEnglishReadsFrench) {
  const struct {
    int language;  // as AppSettings keeps it
    const char* expected;
  } cases[] = {{0, "Fichier Mesure"},
               {1, "Measurement File"},
               {2, "Fichier Mesure"},
               {-1, "Fichier Mesure"},
               {1000000, "Fichier Mesure"}};
  for (const auto& c : cases)
    EXPECT_STREQ(kTxtMeasurementFile.text(languageOf(c.language)), c.expected);
}

TEST(Texts, CaptionResourcesComeInFrenchEnglishPairs) {
  const struct {
    int frenchId;
    const char* french;
    const char* english;
  } cases[] = {
      {kIdsSelectConfiguration, "S\xC3\xA9lection Configuration", "Select Configuration"},
      {kIdsMeasurementPoint, "Point de Mesure", "Measurement Point"},
      {kIdsInputOutput, "Entr\xC3\xA9\x65s/Sorties", "Input/Output"},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(resourceString(captionId(c.frenchId, kFrench)), c.french);
    EXPECT_STREQ(resourceString(captionId(c.frenchId, kEnglish)), c.english);
  }
  EXPECT_STREQ(resourceString(104), "");
  EXPECT_STREQ(resourceString(0), "");
}

TEST(Texts, StatusHelpHasThirteenLettersInOrder) {
  const char* letters[] = {"~", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L"};
  ASSERT_EQ(std::size(kStatusHelpLines), std::size(letters));
  for (std::size_t i = 0; i < std::size(letters); ++i) {
    EXPECT_STREQ(kStatusHelpLines[i].letter, letters[i]);
  }
  EXPECT_STREQ(kStatusHelpLines[1].meaning.english(), "Flow Fault");
  EXPECT_STREQ(kStatusHelpLines[12].meaning.french(), "D\xC3\xA9\x66\x61ut Echo V6");
}

}  // namespace
}  // namespace flowdesk
