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
  ComparisonOutcome outcome;
  outcome.comparedPath = path;
  FactoryFile file;
  outcome.file = readFactoryFile(path, file);
  if (!outcome.file.ok()) return outcome;
  // The file's values go into a copy: the screen keeps showing, and
  // TRANSFERT keeps sending, the unit's.
  DeviceImage fileValues = context_.image;
  decodeOverDefaults(factoryMap(fileValues), file.block.data(), file.block.size());
  // The unit's side is what TRANSFERT and saving would send, so that an edit
  // whose bytes do not change (a text cleared to the blanks it pads with)
  // shows no deviation.
  DeviceImage unitValues = context_.image;
  const Bytes sent = currentBlock();
  decodeReply(factoryMap(unitValues), sent.data(), sent.size());
  return compareImages(factoryReportTable(), unitValues, fileValues, path, reportFolder,
                       dateTimeText(localTime(), regional), context_.settings.Language, regional);
}

}  // namespace flowdesk
