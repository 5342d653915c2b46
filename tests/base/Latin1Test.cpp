#include <gtest/gtest.h>

#include "base/Latin1.h"

namespace flowdesk {
namespace {

TEST(Latin1, RoundTripsEveryByteAndReplacesWhatHasNoByte) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(toLatin1(fromLatin1(all)), all);

  EXPECT_EQ(toLatin1("SP N°1"), std::string("SP N\xB0"
                                            "1"));
  EXPECT_EQ(toLatin1("SP N°1").size(), 6u);
  EXPECT_EQ(toLatin1("€5"), "?5");     // no ISO-8859-1 byte for the euro
  EXPECT_EQ(toLatin1("a\xC3"), "a?");  // sequence cut short
  EXPECT_EQ(toLatin1("\xFF"
                     "b"),
            "?b");  // not UTF-8 at all
}

TEST(Latin1, FieldsStopAtZeroAndCountCharacters) {
  const std::uint8_t raw[8] = {'T', '2', '1', 0xB0, 0, 'x', 'y', 'z'};
  EXPECT_EQ(fromLatin1Field(raw, 8), "T21°");
  EXPECT_EQ(fromLatin1Field(raw, 2), "T2");
  EXPECT_EQ(utf8Length("Débit°"), 6u);
  EXPECT_EQ(utf8Left("Polyéthylène", 4), "Poly");
  EXPECT_EQ(utf8Left("éé", 1), "é");
}

}  // namespace
}  // namespace flowdesk
