#include "cli/FileShow.h"

#include <cstdarg>
#include <cstdio>
#include <sstream>

#include "base/Numeric.h"
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

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* fmt, ...) {
  char buf[256];
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, args);
  va_end(args);
  return buf;
}

std::string adaptive(double value) {
  int decimals = 0;
  const double shown = adaptivePrecision(value, decimals);
  return format("%.*f", decimals, shown);
}

std::string hex(std::span<const std::uint8_t> bytes) {
  std::string s;
  for (std::uint8_t b : bytes) s += format("%s%02X", s.empty() ? "" : " ", b);
  return s;
}

// "name: value" lines, indented by section.
class Printer {
 public:
  Printer(std::ostream& out, int language) : out_(out), language_(language) {}

  void title(const std::string& text) { out_ << text << "\n"; }
  void line(const std::string& name, const std::string& value) {
    out_ << "  " << name << ": " << value << "\n";
  }
  void number(const std::string& name, const char* fmt, double value, const char* unit = "") {
    std::string text = format(fmt, value);
    if (*unit) text += std::string(" ") + unit;
    line(name, text);
  }
  // A list field: the index and the entry it selects ("*****" outside the list).
  void choice(const std::string& name, const ValueList& list, std::int32_t index) {
    line(name, format("%d (", index) + listText(list, list.count(), index, language_) + ")");
  }
  // A block the file does not hold whole is said before its fields, which
  // then show their defaults where the file has nothing.
  void lengthNote(FileKind kind, std::size_t found, std::size_t expected) {
    const std::string text = blockLengthText(
        kind, {static_cast<long long>(found), static_cast<long long>(expected)}, language_);
    if (!text.empty()) line("note", text);
  }
  std::ostream& raw() { return out_; }
  int language() const { return language_; }

 private:
  std::ostream& out_;
  int language_;
};

void showCatalogue(Printer& p, const IdentificationCache& id) {
  p.line("special probes",
         format("FSp1=%d FSp2=%d T0Sp1=%d T0Sp2=%d", id.FSp1, id.FSp2, id.T0Sp1, id.T0Sp2));
  for (int i = 0; i < kProbeCount; ++i) {
    const ProbeEntry& e = id.probes[static_cast<std::size_t>(i)];
    if (e.name.empty() && e.angle == 0) continue;
    p.line(format("probe %d", i), "\"" + e.name + "\" " + format("%d", e.angle));
  }
}

std::string kindTitle(const std::string& path, int language) {
  const FileKindInfo* kind = fileKindOfPath(path);
  std::string description = kind ? kind->description.text(language) : "";
  if (description.empty())
    description = language == 0 ? "Fichier Sonde Spéciale" : "Special Probe File";
  return description + ": " + path;
}

// Every field under its report name, valued as the deviation report values
// it, probe names from the file's own catalogue.
FileResult showCalibration(const std::string& path, Printer& p, const RegionalSettings& regional) {
  CalibrationFile file;
  FileResult r = readCalibrationFile(path, file);
  if (!r.ok()) return r;
  p.title(kindTitle(path, p.language()));
  p.line("format number", format("%u", file.formatNumber));
  p.line("configuration bytes", format("%zu", file.block.size()));
  p.lengthNote(FileKind::Calibration, file.block.size(), kConfigurationBytes);
  showCatalogue(p, file.identification);
  DeviceImage image;
  decodeOverDefaults(configurationMap(image), file.block.data(), file.block.size());
  p.title("configuration:");
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
  p.line("factory bytes", format("%zu", file.block.size()));
  p.lengthNote(FileKind::FactorySettings, file.block.size(), kFactoryBytes);
  DeviceImage image;
  decodeOverDefaults(factoryMap(image), file.block.data(), file.block.size());
  const FactoryRegion& f = image.factory;
  p.choice("echo polarity", PolarityList, f.echoPolarity);
  p.choice("function", FunctionList, f.function);
  p.number("DeltaT cut-off", "%.1f", f.deltaTCutOff, "ns");
  p.number("ER2 processing", "%.0f", f.er2Processing);
  p.number("Jbus address", "%.0f", f.jbusAddress);
  p.choice("display inversion", YesNoList, f.displayInversion);
  p.number("simulated flow", "%+.1f", f.simulatedFlow);
  p.number("simulation ripple", "%.0f", f.simulationRipple, "%");
  for (std::size_t k = 0; k < f.specialProbes.size(); ++k) {
    const SpecialProbeSlot& sp = f.specialProbes[k];
    p.line(format("SP%zu", k + 1),
           format("angle %.2f, T0 %.1f, frequency %d (", sp.angle, sp.t0, sp.frequency) +
               listText(FrequencyList, FrequencyList.count(), sp.frequency, p.language()) +
               "), text \"" + sp.text + "\"");
  }
  p.number("Q Ref Lin", "%.0f", f.linearisationReferenceFlow);
  p.choice("Q Ref Lin unit", FlowUnitList, f.linearisationReferenceUnit);
  for (std::size_t k = 0; k < f.linearisation.size(); ++k) {
    p.number(format("linearisation %zu%%", k * 10), "%.3f", f.linearisation[k]);
  }
  p.choice("backlight", BacklightList, f.backlight);
  p.choice("video inversion", PolarityList, f.videoInversion);
  p.number("external pipe coefficient", "%.1f", f.externalPipeCoefficient);
  p.choice("unit language", DisplayLanguageList, f.language);
  p.number("contrast", "%.0f", f.contrast, "%");
  p.number("measurement resume delay", "%.0f", f.resumeDelay, "mn");
  return {};
}

FileResult showMaker(const std::string& path, Printer& p) {
  MakerFile file;
  FileResult r = readMakerFile(path, file);
  if (!r.ok()) return r;
  p.title(kindTitle(path, p.language()));
  p.line("maker bytes", format("%zu", file.block.size()));
  p.line("further bytes", format("%zu", file.extra.size()) +
                              (file.extra.empty() ? "" : " (" + hex(file.extra) + ")"));
  p.lengthNote(FileKind::MakerSettings, file.block.size(), kMakerBytes);
  DeviceImage image;
  decodeOverDefaults(makerMap(image), file.block.data(), file.block.size());
  const MakerRegion& m = image.maker;
  p.line("serial number",
         format("%02.0f %02.0f %05.0f", m.serialFirst, m.serialSecond, m.serialThird));
  p.number("4 mA point", "%.0f", m.point4mA);
  p.number("20 mA point", "%.0f", m.point20mA);
  p.choice("device", UnitTypeList, m.deviceVariant);
  return {};
}

FileResult showSpecialProbe(const std::string& path, Printer& p) {
  SpecialProbe probe;
  long long fileBytes = 0;
  FileResult r = readSpecialProbeFileBytes(path, probe, fileBytes);
  if (!r.ok()) return r;
  p.title(kindTitle(path, p.language()));
  p.lengthNote(FileKind::SpecialProbe, static_cast<std::size_t>(fileBytes), kSpecialProbeFileBytes);
  p.line("name", "\"" + probe.name + "\"");
  p.number("T0", "%.1f", probe.t0, "µs");
  p.number("angle", "%.2f", probe.angle);
  p.choice("frequency", FrequencyList, probe.frequency);
  return {};
}

FileResult showMeasurement(const std::string& path, Printer& p, const RegionalSettings& regional) {
  MeasurementFileReader reader;
  FileResult r = reader.open(path);
  if (!r.ok()) return r;
  const MeasurementFileInfo& info = reader.info();
  p.title(kindTitle(path, p.language()));
  p.line("header length", format("%u", info.headerLength));
  p.line("frame sizes",
         format("S2 %u, S1 %u, M1 %u, M2 %u", info.frameSizes[kFrameS2], info.frameSizes[kFrameS1],
                info.frameSizes[kFrameM1], info.frameSizes[kFrameM2]));
  p.line("records", format("%lld", info.recordCount));
  showCatalogue(p, info.identification);
  DeviceImage image;
  for (long long i = 0; i < info.recordCount; ++i) {
    MeasurementRecord record;
    r = reader.readRecord(i, record);
    if (!r.ok()) return r;
    decodeMeasurementRecord(record, image);
    const MeasurementRegion& m = image.measurement;
    const UnitDateTime& c = m.unitClock;
    std::string text = format("%lld  ", i + 1) +
                       formatDate(c.day, c.month, c.year + 2000, regional) + " " +
                       formatTime(c.hour, c.minute, c.second, regional);
    text += "  flow " + adaptive(m.flow) +
            listText(FlowUnitList, FlowUnitList.count(), m.flowUnitIndex, p.language());
    text += "  velocity " + adaptive(m.velocity) + " m/s";
    text += format("  sound velocity %.1f m/s", m.soundVelocity);
    text += format("  chords %.0f", m.chordsInUse);
    const int chords = static_cast<int>(m.chordsInUse);
    for (int k = 0; k < chords && k < MeasurementRegion::kChords; ++k) {
      const ChordMeasurement& ch = m.chords[static_cast<std::size_t>(k)];
      text += format("  [%d: T %.1f dT %.1f G %.0f V ", k + 1, ch.transitTime, ch.deltaT, ch.gain) +
              adaptive(ch.velocity) + format(" C %.1f]", ch.soundVelocity);
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
  p.line("stored record size", format("%u", info.storedRecordSize));
  const std::size_t size = info.recordSize();
  p.line("parameters per record", size == kLoggerRecordSize4   ? "4"
                                  : size == kLoggerRecordSize9 ? "9"
                                                               : "?");
  p.line("records", format("%lld", info.recordCount));
  for (long long i = 0; i < info.recordCount; ++i) {
    Bytes stored;
    r = reader.readStoredRecord(i, stored);
    if (!r.ok()) return r;
    const std::span<const std::uint8_t> bytes = loggerRecordBytes(stored);
    const LoggerRecord record = decodeLoggerRecord(bytes);
    std::string text = format("%lld  ", i + 1);
    if (record.empty) {
      p.raw() << text << (p.language() == 0 ? "(enregistrement vide)" : "(empty record)") << "\n";
      continue;
    }
    const LoggerRecordTexts t = loggerRecordTexts(record, p.language(), regional);
    text += t.date + " " + t.time + "  point " + t.point + "  " + t.flow + t.flowUnit + " (" +
            t.flowPercent + "%)";
    for (const LoggerSlotTexts& s : t.slots) {
      text += "  | " + s.name + " " + s.value + " (" + s.percent + "%)";
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
  p.line("record size", format("%u", info.recordSize));
  p.line("records", format("%lld", info.recordCount));
  for (long long i = 0; i < info.recordCount; ++i) {
    EchoImage image{};
    r = reader.readImage(i, image);
    if (!r.ok()) return r;
    int dark = 0;
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 128; ++x) dark += echoPixel(image, x, y) ? 1 : 0;
    }
    p.raw() << format("%lld  %d dark pixels", i + 1, dark) << "\n";
    if (i == 0) drawEcho(p.raw(), image);
  }
  return {};
}

}  // namespace

FileResult showFile(const std::string& path, int language, const RegionalSettings& regional,
                    std::ostream& out) {
  const FileKindInfo* kind = fileKindOfPath(path);
  if (kind == nullptr) return FileResult::failure(FileStatus::UnknownKind, path);
  // Everything is built in memory first: a file that fails half way prints
  // nothing but its error.
  std::ostringstream text;
  Printer p(text, language);
  FileResult r;
  switch (kind->kind) {
    case FileKind::Measurement:
      r = showMeasurement(path, p, regional);
      break;
    case FileKind::Calibration:
      r = showCalibration(path, p, regional);
      break;
    case FileKind::FactorySettings:
      r = showFactory(path, p);
      break;
    case FileKind::MakerSettings:
      r = showMaker(path, p);
      break;
    case FileKind::Logger:
      r = showLogger(path, p, regional);
      break;
    case FileKind::Echo:
      r = showEcho(path, p);
      break;
    case FileKind::SpecialProbe:
      r = showSpecialProbe(path, p);
      break;
  }
  if (r.ok()) out << text.str();
  return r;
}

}  // namespace flowdesk
