// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "measure/MeasurementFile.h"
#include "measure/MeasurementFrames.h"
#include "measure/MeasurementPlot.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

// Records without a date (a stretch of zeros in a sparse or damaged file)
// break the line where they are; a run of them is kept as one, so a file of
// gigabytes of zeros is plotted in the memory of a few records.
TEST(MeasurementPlot, ARunOfUndatedRecordsIsKeptAsOneGap) {
  testing::TempDir dir;
  const std::string path = dir.file("gaps.mes");
  testing::BlockData dated;
  dated.clock({3, 24, 10, 5, 0, 0});  // 05/03/2024 10:00:00
  const testing::BlockData undated;
  ASSERT_TRUE(startMeasurementFile(path, {}, dated.record()).ok());
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(appendMeasurementRecord(path, undated.record()).ok());
  dated.clock({3, 24, 10, 5, 0, 1});
  ASSERT_TRUE(appendMeasurementRecord(path, dated.record()).ok());
  ASSERT_TRUE(appendMeasurementRecord(path, undated.record()).ok());

  PlotData data;
  ASSERT_TRUE(MeasurementPlotSource().read(path, kEnglish, data).ok());
  ASSERT_EQ(data.times.size(), 4u);
  EXPECT_TRUE(std::isfinite(data.times[0]));
  EXPECT_TRUE(std::isnan(data.times[1]));
  EXPECT_EQ(data.times[2] - data.times[0], 60.0);
  EXPECT_TRUE(std::isnan(data.times[3]));
  for (const PlotSeries& s : data.series) EXPECT_EQ(s.values.size(), 4u) << s.name;
}

}  // namespace
}  // namespace flowdesk
