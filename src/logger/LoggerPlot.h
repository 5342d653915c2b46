#pragma once
#include <string>

#include "files/PlotData.h"

namespace flowdesk {

// A logger file as series: the average flow, then every numeric parameter
// of the first record that holds data, each its own series. Status slots
// carry letters, not values, and are left out. A record whose parameter in a
// slot is not the first record's (the logger was set up again) has no value
// there; an empty or undated record has no time.
class LoggerPlotSource final : public PlotSource {
 public:
  FileResult read(const std::string& path, int language, PlotData& out) override;
};

}  // namespace flowdesk
