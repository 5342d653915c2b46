// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileKinds.h"

#include "base/Texts.h"

namespace flowdesk {

namespace {

constexpr BilingualText kNoDescription{"", ""};

constexpr FileKindInfo kKinds[] = {
    {FileKind::Measurement, "mes", kTxtMeasurementFile, false},
    {FileKind::Calibration, "eta", kTxtCalibrationFile, true},
    {FileKind::FactorySettings, "rus", kTxtFactorySettingsFile, true},
    {FileKind::MakerSettings, "nvd", kTxtNorvadineSettingsFile, true},
    {FileKind::Logger, "log", kTxtLoggerFile, false},
    {FileKind::Echo, "ech", kTxtEchoFile, false},
    {FileKind::SpecialProbe, "csp540", kNoDescription, true},
};

}  // namespace

std::span<const FileKindInfo> fileKinds() {
  return kKinds;
}

const FileKindInfo& fileKindInfo(FileKind kind) {
  for (const auto& k : kKinds) {
    if (k.kind == kind) return k;
  }
  return kKinds[0];  // unreachable for a valid enumerator
}

const FileKindInfo* fileKindByExtension(std::string_view extension) {
  for (const auto& k : kKinds) {
    if (extension == k.extension) return &k;
  }
  return nullptr;
}

const FileKindInfo* fileKindOfPath(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return nullptr;
  return fileKindByExtension(name.substr(dot + 1));
}

std::string filterText(const FileKindInfo& kind, Language language) {
  return filterText(kind.description.text(language), kind.extension);
}

std::string openFilterText(Language language, bool factoryMode, bool makerMode) {
  std::string out = "(*.*)|*.mes;*.eta;*.log;*.ech;*.csp540";
  if (factoryMode) out += ";*.rus";
  if (makerMode) out += ";*.nvd";
  out += "|";
  for (FileKind kind :
       {FileKind::Measurement, FileKind::Calibration, FileKind::Logger, FileKind::Echo}) {
    out += filterText(fileKindInfo(kind), language);
  }
  if (factoryMode) out += filterText(fileKindInfo(FileKind::FactorySettings), language);
  if (makerMode) out += filterText(fileKindInfo(FileKind::MakerSettings), language);
  return out;
}

std::string programFilterText(Language language) {
  return std::string(kTxtSpreadsheet.text(language)) + "(.exe)|*.exe|";
}

std::string prnFilterText(Language language) {
  return std::string(kTxtFileOut.text(language)) + "(*.prn)|*.prn|";
}

}  // namespace flowdesk
