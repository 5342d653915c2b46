// SPDX-License-Identifier: GPL-3.0-or-later
// The spreadsheet text of measurement files.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "base/Bytes.h"
#include "base/Clock.h"
#include "measure/MeasurementConversion.h"
#include "measure/MeasurementFrames.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::TempDir;

// Record i: `chords` chords in use, the clock at 14:07 and i seconds on
// 5 March 2024, the flow 1.234 + i.
MeasurementRecord recordOf(int i, int chords) {
  testing::BlockData d;
  d.chords(chords);
  d.f32(d.m1, 2, 1.234f + static_cast<float>(i));
  d.f32(d.m1, 6, 0.5f);
  d.f32(d.m1, 32, 1480.25f);
  d.clock({3, 24, 14, 5, static_cast<std::uint8_t>(i), 7});
  for (int k = 0; k < 6; ++k)
    d.chord(k, 180.46f + static_cast<float>(k), -2.34f, 43 + k, 1.5f, 1480.44f);
  return d.record();
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
  const Bytes bytes = testing::fileBytes(path);
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
    Language language;
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
    SCOPED_TRACE(languageIndex(c.language));
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

TEST(MeasurementConversion, ColumnsFollowEachRecordsChordsAndNoRecordsGiveTheTitle) {
  TempDir dir;
  const std::string in = measurementFile(dir, {1, 9});
  MeasurementConversionSource source({});
  SpreadsheetConversion conversion(source, in, dir.file("out.prn"), kEnglish);
  ManualClock clock;
  ASSERT_TRUE(conversion.run(clock).ok());
  const std::vector<std::string> lines = linesOf(dir.file("out.prn"));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(std::count(lines[0].begin(), lines[0].end(), '\t'), 11) << "the first record's chord";
  EXPECT_EQ(std::count(lines[2].begin(), lines[2].end(), '\t'), 36) << "six chords at most";
  EXPECT_EQ(conversion.counters().firstDate, "05/03/2024 14:07:00");
  EXPECT_EQ(conversion.counters().lastDate, "05/03/2024 14:07:01");

  Bytes cut = testing::fileBytes(in);
  cut.resize(400);  // the header and part of a record
  testing::putFile(in, cut);
  SpreadsheetConversion empty(source, in, dir.file("out.prn"), kEnglish);
  ASSERT_TRUE(empty.step().ok());
  EXPECT_TRUE(empty.finished());
  EXPECT_EQ(wholeFile(dir.file("out.prn")), "N°\tDate\tTime\tFlow\tSpeed\tVelocity\t\n");
}

}  // namespace
}  // namespace flowdesk
