#include "logger/LoggerPlot.h"

#include <cctype>
#include <cmath>
#include <limits>
#include <optional>
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
PlotSeries slotSeries(int quantity, int language) {
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

FileResult LoggerPlotSource::read(const std::string& path, int language, PlotData& out) {
  out = {};
  LoggerFileReader reader;
  if (FileResult r = reader.open(path); !r.ok()) return r;
  const long long count = reader.info().recordCount;
  out.times.reserve(static_cast<std::size_t>(count));

  std::vector<int> slotQuantities;  // the first record's numeric slots, -1 for the others
  bool layoutKnown = false;
  Bytes stored;
  for (long long i = 0; i < count; ++i) {
    if (FileResult r = reader.readStoredRecord(i, stored); !r.ok()) return r;
    const auto bytes = loggerRecordBytes(stored);
    if (isEmptyLoggerRecord(bytes)) {
      out.times.push_back(kNoValue);
      for (PlotSeries& s : out.series) s.values.push_back(kNoValue);
      continue;
    }
    const LoggerRecord record = decodeLoggerRecord(bytes);
    if (!layoutKnown) {
      layoutKnown = true;
      PlotSeries flow;
      flow.name = kTxtPlotAverageFlow.text(language);
      flow.unit = trimmed(listText(FlowUnitList, FlowUnitList.count(), record.flowUnit, language));
      out.series.push_back(flow);
      for (const LoggerSlot& slot : record.slots) {
        const bool numeric = slot.kind == LoggerSlot::kNumeric;
        slotQuantities.push_back(numeric ? slot.quantity : -1);
        if (numeric) out.series.push_back(slotSeries(slot.quantity, language));
      }
      // Records read before the layout was known were all empty.
      for (PlotSeries& s : out.series) s.values.assign(out.times.size(), kNoValue);
    }
    out.times.push_back(
        plotTime(record.year, record.month, record.day, record.hour, record.minute, record.second));
    out.series[0].values.push_back(record.flow);
    std::size_t series = 1;
    for (std::size_t k = 0; k < slotQuantities.size(); ++k) {
      if (slotQuantities[k] < 0) continue;
      double value = kNoValue;
      if (k < record.slots.size() && record.slots[k].quantity == slotQuantities[k] &&
          record.slots[k].kind == LoggerSlot::kNumeric) {
        const LoggerSlot& slot = record.slots[k];
        value = slot.isInteger ? static_cast<double>(slot.integerValue)
                               : static_cast<double>(slot.realValue);
      }
      out.series[series++].values.push_back(value);
    }
  }
  return {};
}

}  // namespace flowdesk
