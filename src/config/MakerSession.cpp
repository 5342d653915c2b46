// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/MakerSession.h"

#include "base/Texts.h"
#include "config/FactoryFields.h"
#include "config/MakerFile.h"
#include "link/BlockMaps.h"

namespace flowdesk {

MakerSession::MakerSession(AppContext& context)
    : SettingsBlockSession(context, kMakerBlock, makerMap, kTxtNorvadineSettings),
      extra_(kMakerExtraBytes, 0) {}

FileResult MakerSession::readFile(const std::string& path, Bytes& block) {
  MakerFile file;
  FileResult r = readMakerFile(path, file);
  if (!r.ok()) return r;
  block = std::move(file.block);
  extra_ = std::move(file.extra);
  return r;
}

FileResult MakerSession::writeFile(const std::string& path, const Bytes& block) {
  return writeMakerFile(path, MakerFile{block, extra_});
}

void MakerSession::clampImage() {
  DeviceImage& image = context_.image;
  clampFields(makerEdits(image), makerLists(image));
}

}  // namespace flowdesk
