// SPDX-License-Identifier: GPL-3.0-or-later
// A logger file read as series: the average flow and each numeric slot,
// units split from the parameter names, status slots left out, empty records
// without values, and a logger set up again part-way drawing its new
// parameters as series of their own.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>

#include "base/BilingualText.h"
#include "files/PlotData.h"
#include "logger/LoggerFile.h"
#include "logger/LoggerPlot.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::TempDir;

void put32(Bytes& r, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) r[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// A 31-byte record of 2024-03-05 10:00:`second`: flow, then slots V (m/s)
// (real), Tot1 (whole number) and a status slot.
Bytes record(int second, float flow, float velocity, std::int32_t total, int velocitySlot = 8) {
  Bytes r(kLoggerRecordSize4, 0);
  r[0] = 7;
  r[1] = 0x40 | 3;  // m3/h, March
  r[2] = 24;
  r[3] = 5;
  r[4] = 10;
  r[5] = 0;
  r[6] = static_cast<std::uint8_t>(second);
  put32(r, 8, std::bit_cast<std::uint32_t>(flow));
  r[13] = static_cast<std::uint8_t>(velocitySlot);
  put32(r, 14, std::bit_cast<std::uint32_t>(velocity));
  r[18] = 50;
  r[19] = 1;  // Tot1
  put32(r, 20, static_cast<std::uint32_t>(total));
  r[24] = 0x80 | 50;                             // whole number
  r[25] = static_cast<std::uint8_t>(0xC0 | 20);  // status
  return r;
}

void writeLog(const std::string& path, const std::vector<Bytes>& records) {
  Bytes bytes{static_cast<std::uint8_t>(kLoggerRecordSize4 + 3), 0};
  for (const Bytes& r : records) {
    bytes.push_back(1);
    bytes.push_back(4);
    bytes.push_back(static_cast<std::uint8_t>(r.size()));
    bytes.insert(bytes.end(), r.begin(), r.end());
  }
  testing::putFile(path, bytes);
}

TEST(LoggerPlot, SeriesOfEveryNumericParameter) {
  TempDir dir;
  const std::string path = dir.file("x.log");
  Bytes empty(kLoggerRecordSize4, 0);
  empty[3] = kEmptyRecordDay;
  // Set up again before the last record: C (m/s) in V's slot, the flow in l/s.
  Bytes changed = record(20, 3.5f, 0.75f, 48143, 15);
  changed[1] = 0x00 | 3;
  writeLog(path,
           {empty, record(0, 1.5f, 0.25f, 1000), empty, record(10, 2.5f, 0.5f, 2000), changed});
  const struct {
    Language language;
    std::vector<std::string> names;
    std::vector<std::string> units;
  } cases[] = {
      {kFrench,
       {"Débit moyen", "V", "Tot1", "Débit moyen", "C"},
       {"m3/h", "m/s", "", "l/s", "m/s"}},
      {kEnglish,
       {"Average flow", "V", "Tot1", "Average flow", "C"},
       {"m3/h", "m/s", "", "l/s", "m/s"}},
  };
  for (const auto& c : cases) {
    PlotData data;
    ASSERT_TRUE(LoggerPlotSource().read(path, c.language, data).ok());
    ASSERT_EQ(data.times.size(), 5u);
    ASSERT_EQ(data.series.size(), c.names.size());
    for (std::size_t s = 0; s < c.names.size(); ++s) {
      EXPECT_EQ(data.series[s].name, c.names[s]);
      EXPECT_EQ(data.series[s].unit, c.units[s]);
      ASSERT_EQ(data.series[s].values.size(), 5u);
    }
    EXPECT_TRUE(std::isnan(data.times[0]));
    EXPECT_TRUE(std::isnan(data.times[2]));
    EXPECT_EQ(data.times[3] - data.times[1], 10.0);
    // Each value in its own series, none in another's and none lost: the
    // records before the change have no C, the last one has no V.
    const double n = std::nan("");
    const std::vector<std::vector<double>> values = {
        {n, 1.5, n, 2.5, n}, {n, 0.25, n, 0.5, n}, {n, 1000, n, 2000, 48143},
        {n, n, n, n, 3.5},   {n, n, n, n, 0.75},
    };
    for (std::size_t s = 0; s < values.size(); ++s) {
      for (std::size_t k = 0; k < 5; ++k) {
        const double v = data.series[s].values[k];
        if (std::isnan(values[s][k])) {
          EXPECT_TRUE(std::isnan(v)) << "series " << s << " record " << k << ": " << v;
        } else {
          EXPECT_EQ(v, values[s][k]) << "series " << s << " record " << k;
        }
      }
    }
  }
  PlotData data;
  EXPECT_EQ(LoggerPlotSource().read(dir.file("none.log"), kEnglish, data).status,
            FileStatus::kCannotOpen);
}

}  // namespace
}  // namespace flowdesk
