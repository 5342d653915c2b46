// The spreadsheet text of measurement files.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "base/Clock.h"
#include "link/Crc16.h"
#include "measure/MeasurementConversion.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::TempDir;
using Vec = std::vector<std::uint8_t>;

void putFloat(Vec& d, std::size_t at, float v) {
  const auto bits = std::bit_cast<std::uint32_t>(v);
  for (int i = 0; i < 4; ++i)
    d[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits >> (24 - 8 * i));
}

Vec answer(const Vec& data) {
  Vec f(3 + data.size());
  f[0] = 1;
  f[1] = 3;
  f[2] = static_cast<std::uint8_t>(data.size());
  std::copy(data.begin(), data.end(), f.begin() + 3);
  const std::uint16_t crc = crc16(f.data(), static_cast<std::uint16_t>(f.size()));
  f.push_back(crc & 0xFF);
  f.push_back(crc >> 8);
  return f;
}

// Record i: `chords` chords in use, the clock at 14:07 and i seconds on
// 5 March 2024, the flow 1.234 + i.
MeasurementRecord recordOf(int i, int chords) {
  Vec s1(66, 0), m1(174, 0), m2(104, 0);
  s1[19] = static_cast<std::uint8_t>(chords);
  putFloat(m1, 2, 1.234f + static_cast<float>(i));
  putFloat(m1, 6, 0.5f);
  putFloat(m1, 32, 1480.25f);
  const Vec clock{3, 24, 14, 5, static_cast<std::uint8_t>(i), 7};
  std::copy(clock.begin(), clock.end(), m1.begin() + 40);
  for (int k = 0; k < 6; ++k) {
    const auto base = static_cast<std::size_t>(8 + 16 * k);
    m2[static_cast<std::size_t>(2 + k)] = static_cast<std::uint8_t>(43 + k);
    putFloat(m2, base, -2.34f);
    putFloat(m2, base + 4, 180.46f + static_cast<float>(k));
    putFloat(m2, base + 8, 1.5f);
    putFloat(m2, base + 12, 1480.44f);
  }
  MeasurementRecord r;
  r.frames = {answer(Vec(6, 0)), answer(s1), answer(m1), answer(m2)};
  return r;
}

std::string measurementFile(const TempDir& dir, const std::vector<int>& chordsPerRecord) {
  const std::string path = dir.file("m.mes");
  for (std::size_t i = 0; i < chordsPerRecord.size(); ++i) {
    const MeasurementRecord r = recordOf(static_cast<int>(i), chordsPerRecord[i]);
    EXPECT_TRUE(
        (i == 0 ? startMeasurementFile(path, {}, r) : appendMeasurementRecord(path, r)).ok());
  }
  return path;
}

std::string wholeFile(const std::string& path) {
  const Vec bytes = testing::fileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> linesOf(const std::string& path) {
  const std::string text = wholeFile(path);
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t nl; (nl = text.find('\n', from)) != std::string::npos; from = nl + 1) {
    lines.push_back(text.substr(from, nl + 1 - from));
  }
  EXPECT_EQ(from, text.size()) << "every line ends with a line feed";
  return lines;
}

TEST(MeasurementConversion, TitleAndRecordLinesForTwoChords) {
  TempDir dir;
  const std::string in = measurementFile(dir, std::vector<int>(10, 2));
  struct Case {
    int language;
    RegionalSettings regional;
    std::string title, first, last;
  } cases[] = {
      {kEnglish,
       {},
       "N°\tDate\tTime\tFlow\tSpeed\tVelocity\t"
       "T (µs) 1\tdT(ns) 1\tG (dB) 1\tV (m/s) 1\tC (m/s) 1\t"
       "T (µs) 2\tdT(ns) 2\tG (dB) 2\tV (m/s) 2\tC (m/s) 2\t\n",
       "1\t05/03/2024\t14:07:00\t1.234\t0.500\t1480\t180.5\t-2.3\t43\t1.500\t1480.4\t"
       "181.5\t-2.3\t44\t1.500\t1480.4\t\n",
       "10\t05/03/2024\t14:07:09\t10.23\t0.500\t1480\t180.5\t-2.3\t43\t1.500\t1480.4\t"
       "181.5\t-2.3\t44\t1.500\t1480.4\t\n"},
      // A regional "," replaces every dot of a record line, the date's too.
      {kFrench,
       {RegionalSettings::kDayFirst, ".", ":", true, "AM", "PM", ","},
       "N°\tDate\tHeure\tDébit\tVitesse\tCélérité\t"
       "T (µs) 1\tdT(ns) 1\tG (dB) 1\tV (m/s) 1\tC (m/s) 1\t"
       "T (µs) 2\tdT(ns) 2\tG (dB) 2\tV (m/s) 2\tC (m/s) 2\t\n",
       "1\t05,03,2024\t14:07:00\t1,234\t0,500\t1480\t180,5\t-2,3\t43\t1,500\t1480,4\t"
       "181,5\t-2,3\t44\t1,500\t1480,4\t\n",
       "10\t05,03,2024\t14:07:09\t10,23\t0,500\t1480\t180,5\t-2,3\t43\t1,500\t1480,4\t"
       "181,5\t-2,3\t44\t1,500\t1480,4\t\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    MeasurementConversionSource source(c.regional);
    SpreadsheetConversion conversion(source, in, dir.file("out.prn"), c.language);
    ManualClock clock;
    ASSERT_TRUE(conversion.run(clock).ok());
    const std::vector<std::string> lines = linesOf(dir.file("out.prn"));
    ASSERT_EQ(lines.size(), 11u) << "a title and ten records";
    EXPECT_EQ(lines[0], c.title);
    EXPECT_EQ(lines[1], c.first);
    EXPECT_EQ(lines[10], c.last);
    for (const std::string& line : lines) {
      EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 16) << "16 columns and a trailing tab";
    }
    EXPECT_EQ(conversion.counters().total, 10);
    EXPECT_EQ(conversion.counters().converted, 10);
  }
}

TEST(MeasurementConversion, ColumnsFollowEachRecordsChords) {
  TempDir dir;
  const std::string in = measurementFile(dir, {1, 3, 0, 9});
  MeasurementConversionSource source({});
  SpreadsheetConversion conversion(source, in, dir.file("out.prn"), kEnglish);
  ManualClock clock;
  ASSERT_TRUE(conversion.run(clock).ok());
  const std::vector<std::string> lines = linesOf(dir.file("out.prn"));
  ASSERT_EQ(lines.size(), 5u);
  auto tabs = [](const std::string& l) { return std::count(l.begin(), l.end(), '\t'); };
  EXPECT_EQ(tabs(lines[0]), 11) << "the title has the first record's chord";
  EXPECT_EQ(tabs(lines[1]), 11);
  EXPECT_EQ(tabs(lines[2]), 21);
  EXPECT_EQ(tabs(lines[3]), 6);
  EXPECT_EQ(tabs(lines[4]), 36) << "never more than the six chords a block holds";
  // The screen shows the first record's date, and every record's as the last.
  EXPECT_EQ(conversion.counters().firstDate, "05/03/2024 14:07:00");
  EXPECT_EQ(conversion.counters().lastDate, "05/03/2024 14:07:03");
}

TEST(MeasurementConversion, FileWithoutRecordsGivesTheTitleAlone) {
  TempDir dir;
  const std::string in = measurementFile(dir, {2});
  std::vector<std::uint8_t> bytes = testing::fileBytes(in);
  bytes.resize(400);
  testing::putFile(in, bytes);
  MeasurementConversionSource source({});
  SpreadsheetConversion conversion(source, in, dir.file("out.prn"), kEnglish);
  EXPECT_TRUE(conversion.step().ok());
  EXPECT_TRUE(conversion.finished());
  EXPECT_EQ(wholeFile(dir.file("out.prn")), "N°\tDate\tTime\tFlow\tSpeed\tVelocity\t\n");
  EXPECT_EQ(conversion.counters().total, 0);
  EXPECT_EQ(conversion.counters().firstDate, "");
}

}  // namespace
}  // namespace flowdesk
