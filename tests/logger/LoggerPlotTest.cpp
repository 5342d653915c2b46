// A logger file read as series: the average flow and each numeric slot,
// units split from the parameter names, status slots left out, empty records
// and slots set up differently without values.
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
  writeLog(path, {empty, record(0, 1.5f, 0.25f, 1000), empty, record(10, 2.5f, 0.5f, 2000),
                  record(20, 3.5f, 0.75f, 3000, 15)});
  const struct {
    int language;
    std::vector<std::string> names;
    std::vector<std::string> units;
  } cases[] = {
      {kFrench, {"Débit moyen", "V", "Tot1"}, {"m3/h", "m/s", ""}},
      {kEnglish, {"Average flow", "V", "Tot1"}, {"m3/h", "m/s", ""}},
  };
  for (const auto& c : cases) {
    PlotData data;
    ASSERT_TRUE(LoggerPlotSource().read(path, c.language, data).ok());
    ASSERT_EQ(data.times.size(), 5u);
    ASSERT_EQ(data.series.size(), 3u);
    for (std::size_t s = 0; s < 3; ++s) {
      EXPECT_EQ(data.series[s].name, c.names[s]);
      EXPECT_EQ(data.series[s].unit, c.units[s]);
      ASSERT_EQ(data.series[s].values.size(), 5u);
    }
    EXPECT_TRUE(std::isnan(data.times[0]));
    EXPECT_TRUE(std::isnan(data.times[2]));
    EXPECT_EQ(data.times[3] - data.times[1], 10.0);
    EXPECT_EQ(data.series[0].values[3], 2.5);
    EXPECT_EQ(data.series[1].values[1], 0.25);
    EXPECT_EQ(data.series[2].values[3], 2000.0);
    // The last record logs C (m/s) where the others log V: V has no value there.
    EXPECT_TRUE(std::isnan(data.series[1].values[4]));
    EXPECT_EQ(data.series[2].values[4], 3000.0);
  }
  PlotData data;
  EXPECT_EQ(LoggerPlotSource().read(dir.file("none.log"), kEnglish, data).status,
            FileStatus::CannotOpen);
}

}  // namespace
}  // namespace flowdesk
