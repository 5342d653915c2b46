// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <iterator>
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

// Marks are filled in turn; a value that holds a mark is not filled again,
// and a mark without a value stays.
TEST(Texts, MarksFilledInTurn) {
  const struct {
    std::string got;
    const char* expected;
  } cases[] = {
      {textWithNumbers("%d of %d", {3, 12}), "3 of 12"},
      {textWithNumbers("%d and %d", {-1}), "-1 and %d"},
      {textWithNumbers("%s %d", {7, 8}), "%s 7"},
      {textWithWords("%s, %s", {"a%s", "b"}), "a%s, b"},
      {textWithWords("%s", {"x", "y"}), "x"},
      {textWithWords("%d %s", {"z"}), "%d z"},
      {printed("%s=%04.1f|%zu", "v", 2.5, std::size_t{7}), "v=02.5|7"},
      {printed("%0300d", 1).substr(296), "0001"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected);
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

}  // namespace
}  // namespace flowdesk
