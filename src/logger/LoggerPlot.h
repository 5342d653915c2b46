// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

#include "base/BilingualText.h"
#include "files/PlotData.h"

namespace flowdesk {

// A logger file as series: the average flow, then every numeric parameter,
// each its own series in the order the file first holds them. Status slots
// carry letters, not values, and are left out. A logger set up again
// part-way (another parameter in a slot, the flow in another unit) starts
// new series from that record; each series has no value in the records
// that do not log it. An empty or undated record has no time.
class LoggerPlotSource final : public PlotSource {
 public:
  FileResult read(const std::string& path, Language language, PlotData& out) override;
};

}  // namespace flowdesk
