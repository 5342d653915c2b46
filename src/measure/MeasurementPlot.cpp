// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/MeasurementPlot.h"

#include <cmath>

#include "base/Texts.h"
#include "base/ValueLists.h"
#include "link/DeviceImage.h"
#include "measure/MeasurementFile.h"

namespace flowdesk {

namespace {

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

FileResult MeasurementPlotSource::read(const std::string& path, Language language, PlotData& out) {
  out = {};
  MeasurementFileReader reader;
  if (FileResult r = reader.open(path); !r.ok()) return r;
  DeviceImage image;
  const MeasurementMaps maps(image);
  MeasurementRecord record;
  out.series = {{kTxtFlow.text(language), {}, {}},
                {kTxtSpeed.text(language), kTxtMetresPerSecond.text(language), {}},
                {kTxtVelocity.text(language), kTxtMetresPerSecond.text(language), {}}};
  const long long count = reader.info().recordCount;
  for (long long i = 0; i < count; ++i) {
    if (FileResult r = reader.readRecord(i, record); !r.ok()) return r;
    decodeMeasurementRecord(record, maps);
    const MeasurementRegion& m = image.measurement;
    if (i == 0) {
      out.series[0].unit =
          trimmed(listText(FlowUnitList, FlowUnitList.count(), m.flowUnitIndex, language));
    }
    const UnitDateTime& t = m.unitClock;
    const double time = plotTime({t.year + 2000, t.month, t.day, t.hour, t.minute, t.second});
    // An undated record only breaks the line where it is, and one does that
    // for a whole run of them: a stretch of zeros (a sparse file of
    // gigabytes) costs no memory.
    if (std::isnan(time) && !out.times.empty() && std::isnan(out.times.back())) continue;
    out.times.push_back(time);
    out.series[0].values.push_back(m.flow);
    out.series[1].values.push_back(m.velocity);
    out.series[2].values.push_back(m.soundVelocity);
  }
  return {};
}

}  // namespace flowdesk
