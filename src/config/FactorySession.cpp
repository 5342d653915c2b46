// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/FactorySession.h"

#include "base/Texts.h"
#include "config/FactoryFields.h"
#include "config/FactoryFile.h"
#include "link/BlockMaps.h"

namespace flowdesk {

FactorySession::FactorySession(AppContext& context)
    : SettingsBlockSession(context, kFactoryBlock, factoryMap, kTxtFactorySettings) {}

FileResult FactorySession::readFile(const std::string& path, Bytes& block) {
  FactoryFile file;
  FileResult r = readFactoryFile(path, file);
  if (r.ok()) block = std::move(file.block);
  return r;
}

FileResult FactorySession::writeFile(const std::string& path, const Bytes& block) {
  return writeFactoryFile(path, FactoryFile{block});
}

void FactorySession::clampImage() {
  DeviceImage& image = context_.image;
  clampFields(factoryEdits(image), factoryLists(image), factoryTexts(image));
}

ComparisonOutcome FactorySession::compare(const std::string& path, const std::string& reportFolder,
                                          const RegionalSettings& regional) {
  FactoryFile file;
  const FileResult read = readFactoryFile(path, file);
  const Bytes sent = currentBlock();
  return compareBlocks(factoryReportTable(),
                       {FileKind::kFactorySettings, context_.image, factoryMap, sent, file.block},
                       read, path, reportFolder, dateTimeText(localTime(), regional),
                       context_.settings.language(), regional);
}

}  // namespace flowdesk
