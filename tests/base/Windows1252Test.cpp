// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "base/Windows1252.h"

namespace flowdesk {
namespace {

TEST(Windows1252, CharactersAndTheirBytesBothWays) {
  struct Case {
    const char* utf8;
    std::string bytes;
  };
  const Case cases[] = {
      {"A", "A"},
      {"€", "\x80"},
      {"’", "\x92"},
      {"œ", "\x9C"},
      {"Ÿ", "\x9F"},
      {"‚ƒ„…†‡ˆ‰Š‹Œ", "\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C"},
      {"Ž‘“”•–—˜™š›ž", "\x8E\x91\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9E"},
      // The bytes the code page leaves undefined stand for the control
      // characters of the same number.
      {"\u0081\u008D\u008F\u0090\u009D", "\x81\x8D\x8F\x90\x9D"},
      {"\u00A0", "\xA0"},  // from 0xA0 up the page is ISO-8859-1
      {"SP N°1",
       "SP N\xB0"
       "1"},  // six bytes
      {"Œuvre à 12 €", "\x8Cuvre \xE0 12 \x80"},
      {"ÿ", "\xFF"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(toWindows1252(c.utf8), c.bytes) << c.utf8;
    EXPECT_EQ(fromWindows1252(c.bytes), c.utf8) << c.utf8;
  }
}

TEST(Windows1252, EveryByteRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string text = fromWindows1252(all);
  EXPECT_EQ(utf8Length(text), 256u) << "one character per byte";
  EXPECT_EQ(toWindows1252(text), all);
}

TEST(Windows1252, WhatHasNoByteIsSentAsQuestionMark) {
  const struct {
    const char* utf8;
    const char* bytes;
  } cases[] = {
      {"Ω5", "?5"},
      {"\u0080", "?"},  // the euro sign holds its byte, not the control character
      {"\u009E", "?"},
      {"\u0100", "?"},
      {"🌊x", "?x"},
      {"a\xC3", "a?"},  // sequence cut short
      {"\xFF"
       "b",
       "?b"},  // not UTF-8 at all
  };
  for (const auto& c : cases) EXPECT_EQ(toWindows1252(c.utf8), c.bytes) << c.utf8;
}

TEST(Windows1252, FieldsStopAtZeroAndCountCharacters) {
  const std::uint8_t raw[8] = {'T', '2', '1', 0xB0, 0, 'x', 'y', 'z'};
  EXPECT_EQ(fromWindows1252Field(raw, 8), "T21°");
  EXPECT_EQ(fromWindows1252Field(raw, 2), "T2");
  EXPECT_EQ(utf8Length("Débit°"), 6u);
  EXPECT_EQ(utf8Length("5 €"), 3u);
  EXPECT_EQ(utf8Left("Polyéthylène", 4), "Poly");
  EXPECT_EQ(utf8Left("éé", 1), "é");
  EXPECT_EQ(utf8Left("€€€", 2), "€€");
}

}  // namespace
}  // namespace flowdesk
