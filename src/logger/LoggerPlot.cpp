// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/LoggerPlot.h"

#include <cctype>
#include <cmath>
#include <limits>
#include <map>
#include <utility>
#include <vector>

#include "base/Texts.h"
#include "base/ValueLists.h"
#include "logger/LoggerFile.h"
#include "logger/LoggerRecord.h"

namespace flowdesk {

namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// "V (m/s)" is the series V in m/s; "T.(1-2)" names totalizers 1 minus 2 and
// has no unit, so only a bracket holding a letter is a unit.
PlotSeries slotSeries(int quantity, Language language) {
  const std::string text =
      trimmed(listText(LoggedQuantityList, LoggedQuantityList.count(), quantity, language));
  PlotSeries s;
  s.name = text;
  const auto open = text.find('(');
  const auto close = text.find(')', open == std::string::npos ? 0 : open);
  if (open != std::string::npos && close != std::string::npos && close == text.size() - 1) {
    const std::string unit = text.substr(open + 1, close - open - 1);
    bool letter = false;
    for (const char c : unit) letter = letter || std::isalpha(static_cast<unsigned char>(c));
    if (letter) {
      s.name = trimmed(text.substr(0, open));
      s.unit = unit;
    }
  }
  return s;
}

}  // namespace

FileResult LoggerPlotSource::read(const std::string& path, Language language, PlotData& out) {
  out = {};
  LoggerFileReader reader;
  if (FileResult r = reader.open(path); !r.ok()) return r;
  const long long count = reader.info().recordCount;
  out.times.reserve(static_cast<std::size_t>(count));

  // A logger set up again part-way logs other parameters, or the flow in
  // another unit, from some record on: each quantity is a series of its
  // own, from the record that first holds it, so no value is dropped or
  // drawn under another's name. The key is the flow unit for the average
  // flow and the logged quantity for a slot.
  std::map<std::pair<bool, int>, std::size_t> seriesOf;
  const auto seriesFor = [&](bool flow, int key) {
    const auto [at, added] = seriesOf.emplace(std::pair{flow, key}, out.series.size());
    if (added) {
      PlotSeries s;
      if (flow) {
        s.name = kTxtPlotAverageFlow.text(language);
        s.unit = trimmed(listText(FlowUnitList, FlowUnitList.count(), key, language));
      } else {
        s = slotSeries(key, language);
      }
      s.values.assign(out.times.size(), kNoValue);
      out.series.push_back(std::move(s));
    }
    return at->second;
  };

  Bytes stored;
  for (long long i = 0; i < count; ++i) {
    if (FileResult r = reader.readStoredRecord(i, stored); !r.ok()) return r;
    const auto bytes = loggerRecordBytes(stored);
    const std::size_t record = out.times.size();
    const bool empty = isEmptyLoggerRecord(bytes);
    const LoggerRecord r = empty ? LoggerRecord{} : decodeLoggerRecord(bytes);
    out.times.push_back(empty ? kNoValue
                              : plotTime(r.year, r.month, r.day, r.hour, r.minute, r.second));
    for (PlotSeries& s : out.series) s.values.push_back(kNoValue);
    if (empty) continue;
    out.series[seriesFor(true, r.flowUnit)].values[record] = r.flow;
    for (const LoggerSlot& slot : r.slots) {
      // Status slots carry letters, not values.
      if (slot.kind != LoggerSlot::kNumeric) continue;
      PlotSeries& s = out.series[seriesFor(false, slot.quantity)];
      // The same parameter in two slots: the first one counts.
      if (!std::isnan(s.values[record])) continue;
      s.values[record] = slot.isInteger ? static_cast<double>(slot.integerValue)
                                        : static_cast<double>(slot.realValue);
    }
  }
  return {};
}

}  // namespace flowdesk
