// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/LoggerConfigurationSession.h"

#include <algorithm>

#include "base/Texts.h"
#include "base/ValueLists.h"
#include "link/BlockMaps.h"
#include "link/BlockTransfer.h"
#include "link/Blocks.h"

namespace flowdesk {

namespace {

constexpr float kMaxPointNumber = 255;

void keepInList(std::int32_t& index, int count) {
  if (index < 0 || index >= count) index = 0;
}

}  // namespace

LoggerConfigurationSession::LoggerConfigurationSession(AppContext& context) : context_(context) {}

LoggerOpenOutcome LoggerConfigurationSession::open(bool fromFile) {
  eraseRequested = false;
  LoggerOpenOutcome outcome;
  if (fromFile) {
    outcome.stop = LoggerOpenStop::kFileMode;
    return outcome;
  }
  JbusMaster& master = context_.master;
  ModelWord model;
  outcome.link = readModelWord(master, model);
  if (!outcome.link.ok() || !model.hasLogger()) {
    outcome.stop = LoggerOpenStop::kNoLogger;
    return outcome;
  }
  std::uint16_t size = 0;
  outcome.link = readBlock(master, kLoggerSettingsBlock, loggerSettingsMap(context_.image));
  if (outcome.link.ok()) outcome.link = readWord(master, kLoggerSizeBlock.firstRegister, size);
  if (!outcome.link.ok()) {
    outcome.stop = LoggerOpenStop::kReadFailed;
    return outcome;
  }
  LoggerSettingsRegion& l = settings();
  keepInList(l.periodIndex, kPeriodCount);
  keepInList(l.loggerType, LoggerTypeList.count());
  for (std::int32_t& p : l.loggedParam) keepInList(p, kLoggedQuantityCount);
  loggerSize_ = size;
  typeAtOpen_ = l.loggerType;
  capacityUnits_ = static_cast<std::uint32_t>(size) * static_cast<std::uint32_t>(typeAtOpen_ + 1);
  applyRules();
  outcome.ok = true;
  return outcome;
}

void LoggerConfigurationSession::applyRules() {
  LoggerSettingsRegion& l = settings();
  // NaN fails both comparisons: it reads as 0.
  l.pointNumber = l.pointNumber >= 0 ? std::min(l.pointNumber, kMaxPointNumber) : 0.0f;
  if (!eraseRequested) l.loggerType = typeAtOpen_;
}

std::uint64_t LoggerConfigurationSession::rangeSeconds() const {
  return loggerRangeSeconds(capacityUnits_, settings().loggerType, settings().periodIndex);
}

std::string LoggerConfigurationSession::rangeText(Language language,
                                                  const RegionalSettings& regional) const {
  return loggerRangeText(rangeSeconds(), language, regional);
}

LoggerUploadOutcome LoggerConfigurationSession::upload(
    const std::function<void(const std::string&)>& progress) {
  applyRules();
  const Language lang = context_.settings.language();
  LoggerUploadOutcome outcome;
  std::vector<WriteStep> steps;
  std::vector<LoggerUploadStep> kinds;
  if (eraseRequested) {
    steps.push_back({kTxtResetInformation.text(lang), [](JbusMaster& master) {
                       Commands commands;
                       commands.eraseLogger = true;
                       return writeCommands(master, commands);
                     }});
    kinds.push_back(LoggerUploadStep::kErase);
  }
  DeviceImage& image = context_.image;
  steps.push_back({kTxtUploadLoggerInformation.text(lang), [&image](JbusMaster& master) {
                     return writeBlock(master, kLoggerSettingsBlock, loggerSettingsMap(image));
                   }});
  kinds.push_back(LoggerUploadStep::kSettings);

  const SequenceResult result =
      runWriteSequence(context_.master, steps, [&](const std::string& text) {
        outcome.stepTexts.push_back(text);
        if (progress) progress(text);
      });
  outcome.written.assign(kinds.begin(), kinds.begin() + result.stepsDone);
  outcome.link = result.link;
  if (!result.link.ok()) {
    outcome.ok = false;
    outcome.failedStep = kinds[static_cast<std::size_t>(result.failedStep)];
  }
  return outcome;
}

std::uint64_t loggerRangeSeconds(std::uint32_t capacityUnits, int loggerType, int periodIndex) {
  const std::uint64_t records = capacityUnits / static_cast<std::uint32_t>(loggerType == 1 ? 2 : 1);
  return records * static_cast<std::uint64_t>(periodSeconds(periodIndex));
}

std::string loggerRangeText(std::uint64_t seconds, Language language,
                            const RegionalSettings& regional) {
  const std::uint64_t days = seconds / 86400;
  const std::uint64_t rest = seconds % 86400;
  std::string text;
  if (days > 0) text = std::to_string(days) + " " + kTxtDays.text(language) + " ";
  return text + formatTime(static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                           static_cast<int>(rest % 60), regional);
}

std::string loggerOpenText(const LoggerOpenOutcome& outcome, Language language) {
  return outcome.link.port ? linkResultText(outcome.link, language, ResultWording::kFull)
                           : std::string();
}

std::string loggerUploadText(const LoggerUploadOutcome& outcome, Language language) {
  if (!outcome.ok) {
    return withPortFailure(kTxtUploadFailure.text(language), outcome.link.port, language);
  }
  std::string text;
  for (const std::string& step : outcome.stepTexts) text += (text.empty() ? "" : "\n") + step;
  return text;
}

}  // namespace flowdesk
