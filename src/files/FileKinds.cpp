// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileKinds.h"

#include "base/Texts.h"

namespace flowdesk {

namespace {

constexpr BilingualText kNoDescription{"", ""};

constexpr FileKindInfo kKinds[] = {
    {FileKind::kMeasurement, "mes", kTxtMeasurementFile, false},
    {FileKind::kCalibration, "eta", kTxtCalibrationFile, true},
    {FileKind::kFactorySettings, "rus", kTxtFactorySettingsFile, true},
    {FileKind::kMakerSettings, "nvd", kTxtNorvadineSettingsFile, true},
    {FileKind::kLogger, "log", kTxtLoggerFile, false},
    {FileKind::kEcho, "ech", kTxtEchoFile, false},
    {FileKind::kSpecialProbe, "csp540", kNoDescription, true},
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
       {FileKind::kMeasurement, FileKind::kCalibration, FileKind::kLogger, FileKind::kEcho}) {
    out += filterText(fileKindInfo(kind), language);
  }
  if (factoryMode) out += filterText(fileKindInfo(FileKind::kFactorySettings), language);
  if (makerMode) out += filterText(fileKindInfo(FileKind::kMakerSettings), language);
  return out;
}

std::string programFilterText(Language language) {
  return std::string(kTxtSpreadsheet.text(language)) + "(.exe)|*.exe|";
}

std::string prnFilterText(Language language) {
  return std::string(kTxtFileOut.text(language)) + "(*.prn)|*.prn|";
}

}  // namespace flowdesk
