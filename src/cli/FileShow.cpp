// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/FileShow.h"

#include "base/FieldFormat.h"
#include "base/Texts.h"
#include "base/ValueLists.h"
#include "config/BlockLength.h"
#include "config/CalibrationFile.h"
#include "config/ComparisonReport.h"
#include "config/FactoryFile.h"
#include "config/MakerFile.h"
#include "config/SpecialProbeFile.h"
#include "echo/EchoFile.h"
#include "files/FileKinds.h"
#include "link/BlockMaps.h"
#include "link/DeviceImage.h"
#include "link/FieldMap.h"
#include "logger/LoggerFile.h"
#include "logger/LoggerRecord.h"
#include "measure/MeasurementFile.h"

namespace flowdesk {

namespace {

// A value and its unit parted by one blank (some list entries bring their own).
std::string withUnit(const std::string& value, const std::string& unit) {
  if (unit.empty() || unit.front() == ' ') return value + unit;
  return value + " " + unit;
}

std::string hex(std::span<const std::uint8_t> bytes) {
  std::string s;
  for (std::uint8_t b : bytes) s += printed("%s%02X", s.empty() ? "" : " ", b);
  return s;
}

// "name: value" lines, indented by section, names in the language and
// numbers with the regional decimal separator.
class Printer {
 public:
  Printer(std::ostream& out, Language language, const RegionalSettings& regional)
      : out_(out), language_(language), separator_(regional.decimalSeparator) {}

  void title(const std::string& text) { out_ << text << "\n"; }
  void line(const std::string& name, const std::string& value) {
    out_ << "  " << name << ": " << value << "\n";
  }
  void line(const BilingualText& name, const std::string& value) {
    line(std::string(name.text(language_)), value);
  }
  void number(const BilingualText& name, const char* fmt, double value, const char* unit = "") {
    std::string text = this->fixed(fmt, value);
    if (*unit) text += std::string(" ") + unit;
    line(name, text);
  }
  std::string fixed(const char* fmt, double value) const {
    return formatNumber(value, fmt, separator_);
  }
  std::string adaptive(double value) const { return formatAdaptive(value, separator_); }
  // A list field: the index and the entry it selects ("*****" outside the list).
  void choice(const BilingualText& name, const ValueList& list, std::int32_t index) {
    line(name, printed("%d (", index) + listText(list, list.count(), index, language_) + ")");
  }
  // A block the file does not hold whole is said before its fields, which
  // then show their defaults where the file has nothing.
  void lengthNote(FileKind kind, std::size_t found, std::size_t expected) {
    const std::string text = blockLengthText(
        kind, {static_cast<long long>(found), static_cast<long long>(expected)}, language_);
    if (!text.empty()) line(kTxtShowNote, text);
  }
  std::ostream& raw() { return out_; }
  Language language() const { return language_; }

 private:
  std::ostream& out_;
  Language language_;
  std::string separator_;
};

void showCatalogue(Printer& p, const IdentificationCache& id) {
  p.line(kTxtShowSpecialProbes,
         printed("FSp1=%d FSp2=%d T0Sp1=%d T0Sp2=%d", id.FSp1, id.FSp2, id.T0Sp1, id.T0Sp2));
  for (int i = 0; i < kProbeCount; ++i) {
    const ProbeEntry& e = id.probes[static_cast<std::size_t>(i)];
    if (e.name.empty() && e.angle == 0) continue;
    p.line(std::string(kTxtShowProbe.text(p.language())) + printed(" %d", i),
           "\"" + e.name + "\" " + printed("%d", e.angle));
  }
}

std::string kindTitle(const std::string& path, Language language) {
  const FileKindInfo* kind = fileKindOfPath(path);
  std::string description = kind ? kind->description.text(language) : "";
  if (description.empty()) description = kTxtShowSpecialProbeFile.text(language);
  return description + ": " + path;
}

// Every field under its report name, valued as the deviation report values
// it, probe names from the file's own catalogue.
FileResult showCalibration(const std::string& path, Printer& p, const RegionalSettings& regional) {
  CalibrationFile file;
  FileResult r = readCalibrationFile(path, file);
  if (!r.ok()) return r;
  p.title(kindTitle(path, p.language()));
  p.line(kTxtShowFormatNumber, printed("%u", file.formatNumber));
  p.line(kTxtShowConfigurationBytes, printed("%zu", file.block.size()));
  p.lengthNote(FileKind::kCalibration, file.block.size(), kConfigurationBytes);
  showCatalogue(p, file.identification);
  DeviceImage image;
  decodeOverDefaults(configurationMap(image), file.block.data(), file.block.size());
  p.title(kTxtShowConfiguration.text(p.language()));
  const ProbeNameList probeNames(file.identification.probes);
  for (const ReportField& field : configurationReportTable(probeNames)(image)) {
    p.line(field.name.text(p.language()), reportValueText(field, p.language(), regional));
  }
  return {};
}

FileResult showFactory(const std::string& path, Printer& p) {
  FactoryFile file;
  FileResult r = readFactoryFile(path, file);
  if (!r.ok()) return r;
  p.title(kindTitle(path, p.language()));
  p.line(kTxtShowFactoryBytes, printed("%zu", file.block.size()));
  p.lengthNote(FileKind::kFactorySettings, file.block.size(), kFactoryBytes);
  DeviceImage image;
  decodeOverDefaults(factoryMap(image), file.block.data(), file.block.size());
  const FactoryRegion& f = image.factory;
  p.choice(kTxtShowEchoPolarity, PolarityList, f.echoPolarity);
  p.choice(kTxtShowFunction, FunctionList, f.function);
  p.number(kTxtShowDeltaTCutOff, "%.1f", f.deltaTCutOff, "ns");
  p.number(kTxtShowEr2Processing, "%.0f", f.er2Processing);
  p.number(kTxtShowJbusAddress, "%.0f", f.jbusAddress);
  p.choice(kTxtShowDisplayInversion, YesNoList, f.displayInversion);
  p.number(kTxtShowSimulatedFlow, "%+.1f", f.simulatedFlow);
  p.number(kTxtShowSimulationRipple, "%.0f", f.simulationRipple, "%");
  for (std::size_t k = 0; k < f.specialProbes.size(); ++k) {
    const SpecialProbeSlot& sp = f.specialProbes[k];
    const std::string angle = p.fixed("%.2f", sp.angle);
    const std::string t0 = p.fixed("%.1f", sp.t0);
    p.line(printed("SP%zu", k + 1),
           printed(kTxtShowSpecialProbeSlot.text(p.language()), angle.c_str(), t0.c_str(),
                   sp.frequency) +
               listText(FrequencyList, FrequencyList.count(), sp.frequency, p.language()) + "), " +
               kTxtShowText.text(p.language()) + " \"" + sp.text + "\"");
  }
  p.number(kTxtQRefLin, "%.0f", f.linearisationReferenceFlow);
  p.choice(kTxtShowReferenceUnit, FlowUnitList, f.linearisationReferenceUnit);
  for (std::size_t k = 0; k < f.linearisation.size(); ++k) {
    p.line(std::string(kTxtShowLinearisation.text(p.language())) + printed(" %zu %%", k * 10),
           p.fixed("%.3f", f.linearisation[k]));
  }
  p.choice(kTxtShowBacklight, BacklightList, f.backlight);
  p.choice(kTxtShowVideoInversion, PolarityList, f.videoInversion);
  p.number(kTxtShowExternalCoefficient, "%.1f", f.externalPipeCoefficient);
  p.choice(kTxtShowUnitLanguage, DisplayLanguageList, f.language);
  p.number(kTxtShowContrast, "%.0f", f.contrast, "%");
  p.number(kTxtShowResumeDelay, "%.0f", f.resumeDelay, "mn");
  return {};
}

FileResult showMaker(const std::string& path, Printer& p) {
  MakerFile file;
  FileResult r = readMakerFile(path, file);
  if (!r.ok()) return r;
  p.title(kindTitle(path, p.language()));
  p.line(kTxtShowMakerBytes, printed("%zu", file.block.size()));
  p.line(kTxtShowFurtherBytes, printed("%zu", file.extra.size()) +
                                   (file.extra.empty() ? "" : " (" + hex(file.extra) + ")"));
  p.lengthNote(FileKind::kMakerSettings, file.block.size(), kMakerBytes);
  DeviceImage image;
  decodeOverDefaults(makerMap(image), file.block.data(), file.block.size());
  const MakerRegion& m = image.maker;
  p.line(kTxtShowSerialNumber,
         printed("%02.0f %02.0f %05.0f", m.serialFirst, m.serialSecond, m.serialThird));
  p.number(kTxtShowPoint4mA, "%.0f", m.point4mA);
  p.number(kTxtShowPoint20mA, "%.0f", m.point20mA);
  p.choice(kTxtShowDevice, UnitTypeList, m.deviceVariant);
  return {};
}

FileResult showSpecialProbe(const std::string& path, Printer& p) {
  SpecialProbe probe;
  long long fileBytes = 0;
  FileResult r = readSpecialProbeFileBytes(path, probe, fileBytes);
  if (!r.ok()) return r;
  p.title(kindTitle(path, p.language()));
  p.lengthNote(FileKind::kSpecialProbe, static_cast<std::size_t>(fileBytes),
               kSpecialProbeFileBytes);
  p.line(kTxtShowName, "\"" + probe.name + "\"");
  p.line("T0", p.fixed("%.1f", probe.t0) + " µs");
  p.number(kTxtShowAngle, "%.2f", probe.angle);
  p.choice(kTxtShowFrequency, FrequencyList, probe.frequency);
  return {};
}

FileResult showMeasurement(const std::string& path, Printer& p, const RegionalSettings& regional) {
  MeasurementFileReader reader;
  FileResult r = reader.open(path);
  if (!r.ok()) return r;
  const MeasurementFileInfo& info = reader.info();
  p.title(kindTitle(path, p.language()));
  p.line(kTxtShowHeaderLength, printed("%u", info.headerLength));
  p.line(kTxtShowFrameSizes,
         printed("S2 %u, S1 %u, M1 %u, M2 %u", info.frameSizes[kFrameS2], info.frameSizes[kFrameS1],
                 info.frameSizes[kFrameM1], info.frameSizes[kFrameM2]));
  p.line(kTxtShowRecords, printed("%lld", info.recordCount));
  showCatalogue(p, info.identification);
  DeviceImage image;
  for (long long i = 0; i < info.recordCount; ++i) {
    MeasurementRecord record;
    r = reader.readRecord(i, record);
    if (!r.ok()) return r;
    decodeMeasurementRecord(record, image);
    const MeasurementRegion& m = image.measurement;
    const UnitDateTime& c = m.unitClock;
    std::string text = printed("%lld  ", i + 1) +
                       formatDate(c.day, c.month, c.year + 2000, regional) + " " +
                       formatTime(c.hour, c.minute, c.second, regional);
    const Language language = p.language();
    text += std::string("  ") + kTxtShowFlow.text(language) + " " +
            withUnit(p.adaptive(m.flow),
                     listText(FlowUnitList, FlowUnitList.count(), m.flowUnitIndex, language));
    text +=
        std::string("  ") + kTxtShowVelocity.text(language) + " " + p.adaptive(m.velocity) + " m/s";
    text += std::string("  ") + kTxtShowSoundVelocity.text(language) + " " +
            p.fixed("%.1f", m.soundVelocity) + " m/s";
    text +=
        std::string("  ") + kTxtShowChords.text(language) + " " + p.fixed("%.0f", m.chordsInUse);
    const int chords = static_cast<int>(m.chordsInUse);
    for (int k = 0; k < chords && k < MeasurementRegion::kChords; ++k) {
      const ChordMeasurement& ch = m.chords[static_cast<std::size_t>(k)];
      text += printed("  [%d: T ", k + 1) + p.fixed("%.1f", ch.transitTime) + " dT " +
              p.fixed("%.1f", ch.deltaT) + " G " + p.fixed("%.0f", ch.gain) + " V " +
              p.adaptive(ch.velocity) + " C " + p.fixed("%.1f", ch.soundVelocity) + "]";
    }
    p.raw() << text << "\n";
  }
  return {};
}

FileResult showLogger(const std::string& path, Printer& p, const RegionalSettings& regional) {
  LoggerFileReader reader;
  FileResult r = reader.open(path);
  if (!r.ok()) return r;
  const LoggerFileInfo& info = reader.info();
  p.title(kindTitle(path, p.language()));
  p.line(kTxtShowStoredRecordSize, printed("%u", info.storedRecordSize));
  const std::size_t size = info.recordSize();
  p.line(kTxtShowParametersPerRecord, size == kLoggerRecordSize4   ? "4"
                                      : size == kLoggerRecordSize9 ? "9"
                                                                   : "?");
  p.line(kTxtShowRecords, printed("%lld", info.recordCount));
  for (long long i = 0; i < info.recordCount; ++i) {
    Bytes stored;
    r = reader.readStoredRecord(i, stored);
    if (!r.ok()) return r;
    const std::span<const std::uint8_t> bytes = loggerRecordBytes(stored);
    const LoggerRecord record = decodeLoggerRecord(bytes);
    std::string text = printed("%lld  ", i + 1);
    if (record.empty) {
      p.raw() << text << kTxtShowEmptyRecord.text(p.language()) << "\n";
      continue;
    }
    const LoggerRecordTexts t = loggerRecordTexts(record, p.language(), regional);
    text += t.date + " " + t.time + "  point " + t.point + "  " + withUnit(t.flow, t.flowUnit) +
            " (" + t.flowPercent + " %)";
    for (const LoggerSlotTexts& s : t.slots) {
      text += "  | " + s.name + " " + s.value + " (" + s.percent + " %)";
    }
    if (!t.mark.empty()) text += "  " + t.mark;
    p.raw() << text << "\n";
  }
  return {};
}

// Two pixel rows per text line, so the 128 x 64 picture fits a terminal.
void drawEcho(std::ostream& out, const EchoImage& image) {
  for (int y = 0; y < 64; y += 2) {
    std::string row;
    for (int x = 0; x < 128; ++x) {
      const bool top = echoPixel(image, x, y);
      const bool bottom = echoPixel(image, x, y + 1);
      row += top && bottom ? "█" : top ? "▀" : bottom ? "▄" : " ";
    }
    while (!row.empty() && row.back() == ' ') row.pop_back();
    out << "  |" << row << "\n";
  }
}

FileResult showEcho(const std::string& path, Printer& p) {
  EchoFileReader reader;
  FileResult r = reader.open(path);
  if (!r.ok()) return r;
  const EchoFileInfo& info = reader.info();
  p.title(kindTitle(path, p.language()));
  p.line(kTxtShowRecordSize, printed("%u", info.recordSize));
  p.line(kTxtShowRecords, printed("%lld", info.recordCount));
  for (long long i = 0; i < info.recordCount; ++i) {
    EchoImage image{};
    r = reader.readImage(i, image);
    if (!r.ok()) return r;
    int dark = 0;
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 128; ++x) dark += echoPixel(image, x, y) ? 1 : 0;
    }
    p.raw() << printed("%lld  %d ", i + 1, dark) << kTxtShowDarkPixels.text(p.language()) << "\n";
    if (i == 0) drawEcho(p.raw(), image);
  }
  return {};
}

}  // namespace

FileResult showFile(const std::string& path, Language language, const RegionalSettings& regional,
                    std::ostream& out) {
  const FileKindInfo* kind = fileKindOfPath(path);
  if (kind == nullptr) return FileResult::failure(FileStatus::kUnknownKind, path);
  // Written as it is read: a recording of any length is shown in the memory
  // of one record. Each kind's header is read and checked before its first
  // line, so a file that cannot be read prints nothing but its error.
  Printer p(out, language, regional);
  FileResult r;
  switch (kind->kind) {
    case FileKind::kMeasurement:
      r = showMeasurement(path, p, regional);
      break;
    case FileKind::kCalibration:
      r = showCalibration(path, p, regional);
      break;
    case FileKind::kFactorySettings:
      r = showFactory(path, p);
      break;
    case FileKind::kMakerSettings:
      r = showMaker(path, p);
      break;
    case FileKind::kLogger:
      r = showLogger(path, p, regional);
      break;
    case FileKind::kEcho:
      r = showEcho(path, p);
      break;
    case FileKind::kSpecialProbe:
      r = showSpecialProbe(path, p);
      break;
  }
  return r;
}

}  // namespace flowdesk
