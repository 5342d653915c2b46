// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/InitialisationSession.h"

#include <array>

#include "base/Texts.h"
#include "config/ConfigurationSession.h"
#include "link/Blocks.h"
#include "link/FieldMap.h"

namespace flowdesk {

namespace {

// A write of a block's default values, whatever the image holds.
WriteStep defaultBlockStep(const BilingualText& text, Language language, RegisterBlock block,
                           FieldMap (*map)(DeviceImage&), DeviceImage& image) {
  return {text.text(language), [block, map, &image](JbusMaster& master) {
            return writeDefaultBlock(master, block, map(image));
          }};
}

}  // namespace

InitialisationSession::InitialisationSession(AppContext& context) : context_(context) {}

bool InitialisationSession::readUnit() {
  ModelWord word;
  unitRead_ = readModelWord(context_.master, word);
  if (!unitRead_.ok()) return false;
  configurations_ = word.configurationCount();
  return true;
}

std::string InitialisationSession::unitFailureText(Language language) const {
  return unitRead_.port ? linkResultText(unitRead_, language, ResultWording::kFull) : std::string();
}

bool InitialisationSession::hasLogger() const {
  return configurations_ == kMaxConfigurations;
}

InitialisationOutcome InitialisationSession::run(
    const std::function<void(const std::string&)>& progress) {
  using Step = InitialisationStep;
  const Language lang = context_.settings.language();
  DeviceImage& image = context_.image;
  std::vector<WriteStep> steps;
  std::vector<Step> kinds;
  std::vector<int> numbers;
  const auto add = [&](WriteStep step, Step kind, int number = -1) {
    steps.push_back(std::move(step));
    kinds.push_back(kind);
    numbers.push_back(number);
  };

  add(clockWriteStep(image, localTime, lang), Step::kClock);
  if (choice.factorySettings) {
    add(defaultBlockStep(kTxtUploadFactorySettings, lang, kFactoryBlock, factoryMap, image),
        Step::kFactory);
  }
  if (choice.makerSettings) {
    add(defaultBlockStep(kTxtUploadNorvadineSettings, lang, kMakerBlock, makerMap, image),
        Step::kMaker);
  }
  add(commandWriteStep({true, true, true, false}, lang), Step::kTotalizerResets);
  if (choice.calibration) {
    std::array<std::uint8_t, kRequestDataSize> area{};
    DeviceImage scratch;
    encodeDefaults(configurationMap(scratch), area.data());
    const Bytes block(area.begin(), area.begin() + kConfigurationBytes);
    for (int k = 0; k < configurations_; ++k) {
      add(configurationWriteStep(block, k, lang), Step::kConfiguration, k);
    }
  }
  if (hasLogger()) {
    add(commandWriteStep({false, false, false, true}, lang), Step::kLoggerErase);
    add(defaultBlockStep(kTxtUploadLoggerInformation, lang, kLoggerSettingsBlock, loggerSettingsMap,
                         image),
        Step::kLoggerSettings);
  }

  InitialisationOutcome outcome;
  const SequenceResult result =
      runWriteSequence(context_.master, steps, [&](const std::string& text) {
        outcome.stepTexts.push_back(text);
        if (progress) progress(text);
      });
  // Defaults went to the unit (or part of them): its probes and words are
  // learnt again at the next exchange.
  context_.master.forgetIdentification();
  for (int i = 0; i < result.stepsDone; ++i) {
    const auto at = static_cast<std::size_t>(i);
    if (kinds[at] == Step::kConfiguration) outcome.configurationsWritten.push_back(numbers[at]);
    outcome.written.push_back(kinds[at]);
  }
  outcome.link = result.link;
  if (!result.link.ok()) {
    const auto at = static_cast<std::size_t>(result.failedStep);
    outcome.ok = false;
    outcome.failedStep = kinds[at];
    outcome.failedNumber = numbers[at];
  }
  return outcome;
}

namespace {

std::string failedStepText(const InitialisationOutcome& outcome, Language language) {
  std::string text = kTxtUploadFailure.text(language);
  const BilingualText* step = nullptr;
  switch (outcome.failedStep) {
    case InitialisationStep::kClock:
      step = &kTxtSetupTime;
      break;
    case InitialisationStep::kFactory:
      step = &kTxtUploadFactorySettings;
      break;
    case InitialisationStep::kMaker:
      step = &kTxtUploadNorvadineSettings;
      break;
    case InitialisationStep::kTotalizerResets:
    case InitialisationStep::kLoggerErase:
      step = &kTxtResetInformation;
      break;
    case InitialisationStep::kLoggerSettings:
      step = &kTxtUploadLoggerInformation;
      break;
    case InitialisationStep::kConfiguration:
      return text + "\n" + uploadStepText(outcome.failedNumber, language);
  }
  return text + "\n" + step->text(language);
}

}  // namespace

std::string initialisationText(const InitialisationOutcome& outcome, Language language) {
  if (outcome.ok) return {};
  return withPortFailure(failedStepText(outcome, language), outcome.link.port, language);
}

}  // namespace flowdesk
