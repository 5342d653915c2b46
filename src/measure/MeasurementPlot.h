// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

#include "base/BilingualText.h"
#include "files/PlotData.h"

namespace flowdesk {

// A measurement file as series: the flow, the velocity and the sound
// velocity of every record, at the unit's date and time of the record; a
// run of records without a date is kept as one, the gap it makes.
class MeasurementPlotSource final : public PlotSource {
 public:
  FileResult read(const std::string& path, Language language, PlotData& out) override;
};

}  // namespace flowdesk
