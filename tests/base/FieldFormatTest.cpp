// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "base/FieldFormat.h"

namespace flowdesk {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(FieldFormat, ClampIntoRange) {
  const struct {
    double value, min, max, expected;
  } cases[] = {
      {150, 0, 100, 100},  {-3, 0, 100, 0},    {50, 0, 100, 50},
      {0, 0, 100, 0},      {100, 0, 100, 100}, {kNaN, 1, 255, 1},
      {kInf, 0, 255, 255}, {-kInf, -5, 5, -5}, {0.05, 0.1, 999.9, 0.1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(clampToRange(c.value, c.min, c.max), c.expected) << c.value;
  }
}

TEST(FieldFormat, ShowNumberStoresTheClampedValue) {
  const struct {
    float variable;
    double min, max;
    const char* format;
    float stored;
    const char* shown;
  } cases[] = {
      {150.0f, 0, 100, "%.0f", 100.0f, "100"},
      {-3.0f, 0, 100, "%.0f", 0.0f, "0"},
      {std::numeric_limits<float>::quiet_NaN(), 0.1, 999.9, "%.1f", 0.1f, "0.1"},
      {300.0f, 0, 255, "%.0f", 255.0f, "255"},
      {1.0f, -99999.9, 99999.9, "%+.1f", 1.0f, "+1.0"},
  };
  for (const auto& c : cases) {
    float v = c.variable;
    EXPECT_EQ(showNumber(v, c.min, c.max, c.format), c.shown);
    EXPECT_EQ(v, c.stored);
  }
}

TEST(FieldFormat, RowFormats) {
  const struct {
    double value;
    const char* format;
    const char* expected;
  } cases[] = {
      {12.34, "%.1f", "12.3"},   {5, "%+.1f", "+5.0"},           {-5, "%+.1f", "-5.0"},
      {7, "%02.0f", "07"},       {42, "%05.0f", "00042"},        {3.6, "%.0f", "4"},
      {1.0554, "%.3f", "1.055"}, {0.1, "%.2f", "0.10"},          {1.5, "%.1f s", "1.5 s"},
      {50, "%.1f%%", "50.0%"},   {12.5, "Q=%lf", "Q=12.500000"}, {12.9, "%d", "12"},
      {255, "%X", "FF"},         {1e300, "%.0e", "1e+300"},
  };
  for (const auto& c : cases) EXPECT_EQ(formatNumber(c.value, c.format), c.expected) << c.format;
}

// Numbers for people take the regional separator on the number alone; the
// process's own locale (a Qt program gives the C library the desktop's)
// never changes a text, so what a file or an edit gets is always the same.
TEST(FieldFormat, RegionalSeparatorWhateverTheProcessLocale) {
  const struct {
    double value;
    const char* format;
    const char* separator;
    const char* expected;
  } cases[] = {
      {282.8, "%.1f", ",", "282,8"},       {0.1, "%.3f", ",", "0,100"},
      {50, "%.1f%%", ",", "50,0%"},        {12.5, "Q.%.2f s.", ",", "Q.12,50 s."},
      {1.0554, "", ",", "1,055"},          {255, "%X", ",", "FF"},
      {-5, "%+.1f", "", "-5.0"},           {12.34, "%.1f", ".", "12.3"},
      {2.5, "%.1f", "\u066b", "2\u066b5"}, {1234.5, "%.1f", ",.", "1234,5"},
  };
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  for (const char* process : {"C", "fr_FR.UTF-8", "de_DE.UTF-8"}) {
    if (std::setlocale(LC_NUMERIC, process) == nullptr) continue;  // not on this machine
    for (const auto& c : cases) {
      EXPECT_EQ(formatNumber(c.value, c.format, c.separator), c.expected)
          << process << " " << c.format;
    }
    EXPECT_EQ(formatNumber(282.8, "%.1f"), "282.8") << process;
    EXPECT_EQ(formatFixed(0.5, 2, ","), "0,50") << process;
  }
  std::setlocale(LC_NUMERIC, saved.c_str());
}

// An edit the operator left alone gives nothing back, whatever its format
// hides of the value; a changed text is read with either decimal point.
TEST(FieldFormat, ReadShownNumberChangesOnlyWhatWasTyped) {
  const struct {
    float variable;
    const char* format;
    const char* separator;
    const char* text;
    std::optional<float> read;
  } cases[] = {
      {282.84f, "%.1f", ",", "282,8", std::nullopt},
      {1.0554f, "%.3f", ".", "1.055", std::nullopt},
      {7.25f, "%.0f", ",", "7", std::nullopt},
      {0.1f, "%.2f", ",", "0.10", 0.1f},  // a point where the edit shows a comma: typed
      {282.84f, "%.1f", ",", "12,5", 12.5f},
      {282.84f, "%.1f", ",", "12.5", 12.5f},
      {500.0f, "%.0f", ",", "abc", 0.0f},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(readShownNumber(c.text, c.variable, 0, 1000, c.format, c.separator), c.read)
        << c.text << " for " << c.variable;
  }
}

TEST(FieldFormat, EmptyFormatUsesAdaptivePrecision) {
  const struct {
    double value;
    const char* expected;
  } cases[] = {
      {1.23456, "1.235"}, {12.3456, "12.35"},  {123.456, "123.5"},   {12345.6, "12350"},
      {123456, "123500"}, {2000000, "999999"}, {-1.23456, "-1.235"}, {0, "0.000"},
  };
  for (const auto& c : cases) EXPECT_EQ(formatNumber(c.value, ""), c.expected) << c.value;
}

TEST(FieldFormat, RefusedFormatsNeverReachTheFormatter) {
  const char* refused[] = {"%s",    "%n",     "%d%d",   "%*d", "%Lf", "%",    "abc",
                           "%100f", "%.123f", "%.1f%s", "%p",  "%c",  "%1$d", "%.1f %"};
  for (const char* f : refused) {
    EXPECT_FALSE(parseNumberFormat(f).has_value()) << f;
    // Shown with the adaptive precision instead.
    EXPECT_EQ(formatNumber(1.23456, f), "1.235") << f;
  }
  const char* accepted[] = {"%.1f", "%+.1f", "%02.0f", "%05.0f", "%.0f", "%d", "%3ld", "%%%.1f"};
  for (const char* f : accepted) EXPECT_TRUE(parseNumberFormat(f).has_value()) << f;
}

TEST(FieldFormat, WholeNumbersAreTruncatedNotRounded) {
  const struct {
    double value;
    const char* format;
    const char* expected;
  } cases[] = {
      {12.9, "%d", "12"},
      {-12.9, "%d", "-12"},
      {12.9, "%.0f", "12"},
      {7, "%03d", "007"},
      {12.9, "", "12"},
      {255.7, "%x", "ff"},
      {1e30, "%d", "9223372036854775807"},
      {kNaN, "%d", "0"},
      {3.99, "bogus %s", "3"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(formatWholeNumber(c.value, c.format), c.expected) << c.value << " " << c.format;
  }
  float v = 300.7f;
  EXPECT_EQ(showWholeNumber(v, 1, 255, "%d"), "255");
  EXPECT_EQ(v, 255.0f);
}

TEST(FieldFormat, ReadNumberTakesTheLeadingDecimalNumber) {
  const struct {
    const char* text;
    double expected;
  } cases[] = {
      {"12.5", 12.5},
      {"  -3.25abc", -3.25},
      {"1,5", 1.5},
      {"abc", 0},
      {" -0,25 ", -0.25},
      {"1,234.5", 1.234},
      {",5", 0.5},
      {"1,5e1", 15},
      {"", 0},
      {".5", 0.5},
      {"+7", 7},
      {"1e3", 1000},
      {"1e", 1},
      {"1.5e-1x", 0.15},
      {"nan", 0},
      {"inf", 0},
      {"-", 0},
      {".", 0},
      {"0x10", 0},
      {"1e999", kInf},
      {"-1e999", -kInf},
      {"1e-999", 0},
      {"0.5e400", kInf},
  };
  for (const auto& c : cases) EXPECT_EQ(readNumber(c.text), c.expected) << c.text;
}

TEST(FieldFormat, ReadThenShowClampsIntoTheRow) {
  const struct {
    const char* typed;
    const char* shown;
  } cases[] = {{"300", "255"}, {"letters", "0"}, {"12.7", "13"}, {"-4", "0"}, {"1e999", "255"}};
  for (const auto& c : cases) {
    float address = toFieldFloat(readNumber(c.typed));
    EXPECT_EQ(showNumber(address, 0, 255, "%.0f"), c.shown) << c.typed;
  }
}

TEST(FieldFormat, ReadWholeNumber) {
  const struct {
    const char* text;
    const char* format;
    double expected;
  } cases[] = {
      {"42", "%d", 42},  {"  -7x", "%d", -7}, {"12.9", "%d", 12}, {"", "%d", 0}, {"abc", "%d", 0},
      {"ff", "%X", 255}, {"0x1F", "%x", 31},  {"ff", "%d", 0},    {"+3", "", 3},
  };
  for (const auto& c : cases) EXPECT_EQ(readWholeNumber(c.text, c.format), c.expected) << c.text;
  const double huge = readWholeNumber("999999999999999999999999999999", "%d");
  EXPECT_TRUE(std::isfinite(huge));
  EXPECT_GT(huge, 1e18);
}

TEST(FieldFormat, FloatNarrowingSaturates) {
  EXPECT_EQ(toFieldFloat(1e300), FLT_MAX);
  EXPECT_EQ(toFieldFloat(-1e300), -FLT_MAX);
  EXPECT_EQ(toFieldFloat(kInf), FLT_MAX);
  EXPECT_TRUE(std::isnan(toFieldFloat(kNaN)));
  EXPECT_EQ(toFieldFloat(12.5), 12.5f);
}

TEST(FieldFormat, CutTextCountsCharactersNotBytes) {
  const struct {
    const char* text;
    std::size_t max;
    const char* expected;
  } cases[] = {
      {"Réglage", 3, "Rég"}, {"Réglage", 0, ""}, {"abc", 10, "abc"}, {"SP N°1", 5, "SP N°"}};
  for (const auto& c : cases) EXPECT_EQ(cutText(c.text, c.max), c.expected) << c.text;
}

}  // namespace
}  // namespace flowdesk
