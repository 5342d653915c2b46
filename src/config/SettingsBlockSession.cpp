// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/SettingsBlockSession.h"

#include <algorithm>
#include <array>

#include "base/Texts.h"
#include "link/BlockTransfer.h"

namespace flowdesk {

namespace {

constexpr BilingualText kTxtWritten{"%s : écrit dans l'unité", "%s: written to the unit"};

}  // namespace

SettingsBlockSession::SettingsBlockSession(AppContext& context, const RegisterBlock& block,
                                           MapOf map, const BilingualText& title)
    : context_(context), block_(block), map_(map), title_(title) {}

SettingsOpenOutcome SettingsBlockSession::openUnit() {
  fromFile_ = false;
  filePath_.clear();
  lastBlock_.clear();
  SettingsOpenOutcome outcome;
  outcome.link = readBlock(context_.master, block_, map_(context_.image));
  if (!outcome.link.ok()) return outcome;
  lastBlock_.assign(outcome.link.data().begin(), outcome.link.data().end());
  outcome.ok = true;
  return outcome;
}

SettingsOpenOutcome SettingsBlockSession::openFile(const std::string& path) {
  fromFile_ = true;
  filePath_ = path;
  lastBlock_.clear();
  SettingsOpenOutcome outcome;
  outcome.fromFile = true;
  Bytes block;
  outcome.file = readFile(path, block);
  // A file that could not be read leaves nothing that could be uploaded.
  fileLength_ = {0, 2LL * block_.count};
  if (!outcome.file.ok()) return outcome;
  fileLength_.found = static_cast<long long>(block.size());
  outcome.length = fileLength_;
  // A short block (a file from an older program) sets the fields it holds;
  // the others take their defaults rather than keep whatever the screen
  // last showed, which may be another unit's.
  decodeOverDefaults(map_(context_.image), block.data(),
                     std::min<std::size_t>(block.size(), 2 * block_.count));
  outcome.ok = true;
  return outcome;
}

Bytes SettingsBlockSession::currentBlock() const {
  std::array<std::uint8_t, kRequestDataSize> area{};
  encodeRequest(map_(context_.image), area.data());
  return Bytes(area.begin(), area.begin() + 2 * block_.count);
}

bool SettingsBlockSession::unchanged() const {
  return !lastBlock_.empty() && currentBlock() == lastBlock_;
}

FileResult SettingsBlockSession::uploadRefusal() const {
  return fromFile_ ? blockLengthRefusal(filePath_, fileLength_) : FileResult{};
}

SettingsUploadOutcome SettingsBlockSession::upload() {
  SettingsUploadOutcome outcome;
  outcome.file = uploadRefusal();
  if (!outcome.file.ok()) {
    outcome.ok = false;
    return outcome;
  }
  clampImage();
  outcome.link = writeBlock(context_.master, block_, map_(context_.image));
  outcome.ok = outcome.link.ok();
  if (outcome.ok) outcome.written.push_back(SettingsUploadStep::kBlock);
  // The unit's special probes may be new: learn them again at the next
  // exchange, and after a failure too, since part of the block may be in.
  context_.master.forgetIdentification();
  return outcome;
}

FileResult SettingsBlockSession::save(const std::string& path) {
  clampImage();
  return writeFile(path, currentBlock());
}

std::string settingsOpenText(const SettingsOpenOutcome& outcome, Language language) {
  if (outcome.fromFile) {
    if (!outcome.file.ok()) return outcome.file.message(language);
    // The factory and maker blocks share one sentence.
    return blockLengthText(FileKind::kFactorySettings, outcome.length, language);
  }
  if (outcome.ok) return {};
  return outcome.link.port ? linkResultText(outcome.link, language, ResultWording::kFull)
                           : kTxtUnitDoesNotAnswer.text(language);
}

std::string settingsUploadText(const SettingsUploadOutcome& outcome, const BilingualText& title,
                               Language language) {
  if (!outcome.file.ok()) {
    return std::string(kTxtUploadFailure.text(language)) + "\n" + outcome.file.message(language);
  }
  if (!outcome.ok) {
    return withPortFailure(kTxtUploadFailure.text(language), outcome.link.port, language);
  }
  std::string text = kTxtWritten.text(language);
  text.replace(text.find("%s"), 2, title.text(language));
  return text;
}

}  // namespace flowdesk
