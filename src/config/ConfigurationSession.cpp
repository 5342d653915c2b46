// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/ConfigurationSession.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <ctime>

#include "base/FieldFormat.h"
#include "base/Texts.h"
#include "base/ValueLists.h"
#include "config/BlockLength.h"
#include "config/ComparisonReport.h"
#include "files/CatalogueBytes.h"
#include "link/BlockMaps.h"
#include "link/BlockTransfer.h"
#include "link/Blocks.h"
#include "link/FieldMap.h"

namespace flowdesk {

namespace {

// Sentences of this page that the unit's own texts do not have.
constexpr BilingualText kTxtConfigurationUnread{"La lecture de la configuration %d a échoué",
                                                "Reading configuration %d failed"};
constexpr BilingualText kTxtConfigurationRead{"Configuration %d lue", "Configuration %d read"};
constexpr BilingualText kTxtViewOnly{
    "Pas d'unité : le fichier peut être vu, imprimé et enregistré, pas transféré",
    "No unit: the file can be viewed, printed and saved, not uploaded"};
constexpr BilingualText kTxtSpecialProbeStep{"Sonde spéciale", "Special probe"};
constexpr BilingualText kTxtNothingWritten{"Aucune configuration écrite",
                                           "No configuration written"};
constexpr BilingualText kTxtUploaded{"Configuration(s) écrite(s) : %s",
                                     "Configuration(s) written: %s"};

std::string withNumber(const BilingualText& text, Language language, int number) {
  std::string out = text.text(language);
  const auto at = out.find("%d");
  if (at != std::string::npos) out.replace(at, 2, std::to_string(number));
  return out;
}

std::string withText(const BilingualText& text, Language language, const std::string& value) {
  std::string out = text.text(language);
  const auto at = out.find("%s");
  if (at != std::string::npos) out.replace(at, 2, value);
  return out;
}

// "0, 1, 2" or "0 - 17" for a run of consecutive numbers.
std::string numberList(const std::vector<int>& numbers) {
  if (numbers.size() > 2 &&
      numbers.back() - numbers.front() + 1 == static_cast<int>(numbers.size())) {
    return std::to_string(numbers.front()) + " - " + std::to_string(numbers.back());
  }
  std::string out;
  for (int n : numbers) out += (out.empty() ? "" : ", ") + std::to_string(n);
  return out;
}

// The text a special probe gets from its catalogue name: the name without
// its first two characters ("SP"), cut to the slot's six.
std::string specialProbeText(const std::string& name) {
  const std::string rest = name.substr(cutText(name, 2).size());
  return cutText(rest, 6);
}

}  // namespace

std::string dateTimeText(const LocalDateTime& t, const RegionalSettings& regional) {
  return formatDateTime(t.day, t.month, t.year, t.hour, t.minute, t.second, regional);
}

ConfigurationSession::ConfigurationSession(AppContext& context) : context_(context) {}

Language ConfigurationSession::language() const {
  return context_.settings.language();
}

LinkResult ConfigurationSession::readModelWord() {
  ModelWord word;
  LinkResult r = flowdesk::readModelWord(context_.master, word);
  if (r.ok()) configurations_ = word.configurationCount();
  return r;
}

LinkResult ConfigurationSession::readConfiguration(int number) {
  LinkResult r =
      readBlock(context_.master, configurationBlock(number), configurationMap(context_.image));
  if (r.ok()) lastBlock_.assign(r.data().begin(), r.data().begin() + kConfigurationBytes);
  return r;
}

OpenOutcome ConfigurationSession::openUnit() {
  fromFile_ = false;
  filePath_.clear();
  requests = {};
  readNumber_ = writeNumber_ = 0;
  PrintMode = false;
  OpenOutcome outcome;
  outcome.link = readModelWord();
  unitAnswered_ = outcome.link.ok();
  outcome.unitAnswered = unitAnswered_;
  outcome.configurations = configurations_;
  if (unitAnswered_) outcome.link = readConfiguration(0);
  outcome.ok = outcome.link.ok();
  return outcome;
}

OpenOutcome ConfigurationSession::openFile(const std::string& path) {
  fromFile_ = true;
  filePath_ = path;
  requests = {};
  readNumber_ = writeNumber_ = 0;
  PrintMode = false;
  lastBlock_.clear();
  OpenOutcome outcome;
  outcome.fromFile = true;
  outcome.link = readModelWord();
  unitAnswered_ = outcome.link.ok();
  outcome.unitAnswered = unitAnswered_;
  outcome.configurations = configurations_;
  outcome.file = readCalibrationFile(path, file_);
  if (!outcome.file.ok()) return outcome;
  applyFileIdentification(file_.identification, context_.settings);
  decodeOverDefaults(configurationMap(context_.image), file_.block.data(), file_.block.size());
  if (file_.block.size() < kConfigurationBytes) {
    outcome.shortBlockBytes = static_cast<int>(file_.block.size());
  }
  outcome.ok = true;
  return outcome;
}

ReadOutcome ConfigurationSession::selectRead(int number) {
  ReadOutcome outcome;
  outcome.wanted = number;
  outcome.number = readNumber_;
  if (number < 0 || number >= configurations_ || fromFile_) {
    outcome.ok = false;
    return outcome;
  }
  writeNumber_ = number;
  if (number == readNumber_) return outcome;
  outcome.read = true;
  outcome.link = readConfiguration(number);
  if (!outcome.link.ok()) {
    writeNumber_ = readNumber_;
    outcome.ok = false;
    return outcome;
  }
  readNumber_ = writeNumber_ = number;
  outcome.number = number;
  return outcome;
}

bool ConfigurationSession::selectWrite(int number) {
  if (number < 0 || number > configurations_) return false;
  writeNumber_ = number;
  return true;
}

FileResult ConfigurationSession::uploadRefusal() const {
  if (!fromFile_) return {};
  return blockLengthRefusal(filePath_, {static_cast<long long>(file_.block.size()),
                                        static_cast<long long>(kConfigurationBytes)});
}

UploadOutcome ConfigurationSession::upload(
    const std::function<void(const std::string&)>& progress) {
  UploadOutcome outcome;
  outcome.file = uploadRefusal();
  if (!outcome.file.ok()) {
    outcome.ok = false;
    return outcome;
  }
  if (!unitAnswered_) {
    outcome.ok = false;
    outcome.refused = true;
    return outcome;
  }
  const Language lang = language();
  DeviceImage& image = context_.image;
  std::vector<WriteStep> steps;
  std::vector<UploadStep> kinds;
  std::vector<int> numbers;

  if (requests.setClock) {
    steps.push_back(clockWriteStep(image, localTime, lang));
    kinds.push_back(UploadStep::kClock);
    numbers.push_back(-1);
  }
  if (requests.anyReset()) {
    steps.push_back(commandWriteStep(
        {requests.resetTotalizer[0], requests.resetTotalizer[1], requests.resetTotalizer[2], false},
        lang));
    kinds.push_back(UploadStep::kResets);
    numbers.push_back(-1);
  }
  const std::int32_t probe = image.configuration.probe;
  if (fromFile_ && (probe == 0 || probe == 1)) {
    // The file's special probe goes into the unit's slot, so the
    // configuration that names it measures with the probe the file was made
    // with. No text of its own: the previous step's stays up.
    const IdentificationCache& words = file_.identification;
    const ProbeEntry entry = words.probes[static_cast<std::size_t>(probe)];
    steps.push_back({"", [&image, probe, words, entry](JbusMaster& master) {
                       return rewriteFactoryBlock(master, image, [&](FactoryRegion& factory) {
                         SpecialProbeSlot& slot = factory.specialProbes[probe];
                         slot.frequency = probe == 0 ? words.FSp1 : words.FSp2;
                         slot.t0 =
                             static_cast<float>(probe == 0 ? words.T0Sp1 : words.T0Sp2) / 10.0f;
                         slot.angle = static_cast<float>(entry.angle) / 100.0f;
                         slot.text = specialProbeText(entry.name);
                       });
                     }});
    kinds.push_back(UploadStep::kSpecialProbe);
    numbers.push_back(-1);
  }

  // One encoding for every configuration written.
  std::array<std::uint8_t, kRequestDataSize> area{};
  encodeRequest(configurationMap(image), area.data());
  const Bytes block(area.begin(), area.begin() + kConfigurationBytes);
  const int first = writesAll() ? 0 : writeNumber_;
  const int last = writesAll() ? configurations_ - 1 : writeNumber_;
  for (int k = first; k <= last; ++k) {
    steps.push_back(configurationWriteStep(block, k, lang));
    kinds.push_back(UploadStep::kConfiguration);
    numbers.push_back(k);
  }

  const SequenceResult result =
      runWriteSequence(context_.master, steps, [&](const std::string& text) {
        outcome.stepTexts.push_back(text);
        if (progress) progress(text);
      });
  for (int i = 0; i < result.stepsDone; ++i) {
    if (kinds[static_cast<std::size_t>(i)] == UploadStep::kConfiguration) {
      outcome.configurationsWritten.push_back(numbers[static_cast<std::size_t>(i)]);
    }
  }
  outcome.link = result.link;
  if (!result.link.ok()) {
    outcome.ok = false;
    outcome.failedStep = kinds[static_cast<std::size_t>(result.failedStep)];
    outcome.failedNumber = numbers[static_cast<std::size_t>(result.failedStep)];
    for (std::size_t i = static_cast<std::size_t>(result.failedStep) + 1; i < kinds.size(); ++i) {
      if (kinds[i] == UploadStep::kConfiguration)
        outcome.configurationsNotSent.push_back(numbers[i]);
    }
    return outcome;
  }
  requests = {};
  writeNumber_ = readNumber_;
  return outcome;
}

bool ConfigurationSession::compareOffered() const {
  if (fromFile_ || lastBlock_.size() != kConfigurationBytes) return false;
  return !blockModified(configurationMap(context_.image), lastBlock_.data());
}

CalibrationFile ConfigurationSession::calibrationFile() const {
  CalibrationFile file;
  applyFileIdentification(context_.settings, file.identification);
  std::array<std::uint8_t, kRequestDataSize> area{};
  encodeRequest(configurationMap(context_.image), area.data());
  file.block.assign(area.begin(), area.begin() + kConfigurationBytes);
  return file;
}

FileResult ConfigurationSession::saveCalibration(const std::string& path) const {
  return writeCalibrationFile(path, calibrationFile());
}

ComparisonOutcome ConfigurationSession::compare(const std::string& path,
                                                const std::string& reportFolder,
                                                const RegionalSettings& regional) {
  CalibrationFile file;
  const FileResult read = readCalibrationFile(path, file);
  const Bytes sent = calibrationFile().block;
  const ProbeNameList probeNames(context_.settings.probes);
  return compareBlocks(configurationReportTable(probeNames),
                       {FileKind::kCalibration, context_.image, configurationMap, sent, file.block},
                       read, path, reportFolder, dateTimeText(localTime(), regional), language(),
                       regional);
}

std::string openText(const OpenOutcome& outcome, Language language) {
  if (outcome.fromFile) {
    if (!outcome.file.ok()) return outcome.file.message(language);
    std::string text = outcome.unitAnswered ? std::string()
                                            : withPortFailure(kTxtViewOnly.text(language),
                                                              outcome.link.port, language);
    // Appended piece by piece: GCC 12 sees an overlap in a literal plus a
    // string inlined here (-Wrestrict).
    if (outcome.shortBlockBytes >= 0) {
      if (!text.empty()) text += '\n';
      text += blockLengthText(FileKind::kCalibration,
                              {outcome.shortBlockBytes, kConfigurationBytes}, language);
    }
    return text;
  }
  // A port that did not open is no silent unit: its reason says what to do.
  if (!outcome.unitAnswered && outcome.link.port) {
    return linkResultText(outcome.link, language, ResultWording::kFull);
  }
  if (!outcome.unitAnswered) return kTxtUnitDoesNotAnswer.text(language);
  if (!outcome.ok) {
    return withPortFailure(withNumber(kTxtConfigurationUnread, language, 0), outcome.link.port,
                           language);
  }
  return {};
}

std::string readText(const ReadOutcome& outcome, Language language) {
  if (!outcome.ok) {
    return withPortFailure(withNumber(kTxtConfigurationUnread, language, outcome.wanted),
                           outcome.link.port, language);
  }
  return withNumber(kTxtConfigurationRead, language, outcome.number);
}

std::string uploadText(const UploadOutcome& outcome, Language language) {
  if (outcome.ok) {
    return withText(kTxtUploaded, language, numberList(outcome.configurationsWritten));
  }
  std::string text = kTxtUploadFailure.text(language);
  if (!outcome.file.ok()) {
    return text + "\n" + outcome.file.message(language) + "\n" + kTxtNothingWritten.text(language);
  }
  if (outcome.refused) return text + "\n" + kTxtViewOnly.text(language);
  switch (outcome.failedStep) {
    case UploadStep::kClock:
      text += std::string("\n") + kTxtSetupTime.text(language);
      break;
    case UploadStep::kResets:
      text += std::string("\n") + kTxtResetInformation.text(language);
      break;
    case UploadStep::kSpecialProbe:
      text += std::string("\n") + kTxtSpecialProbeStep.text(language);
      break;
    case UploadStep::kConfiguration: {
      // What the unit holds now, as far as it is known: a write whose
      // reply was lost or spoiled may have been carried out all the same,
      // so it is named neither written nor failed.
      text += '\n';  // not "\n" + ...: the same -Wrestrict as above
      text += outcome.configurationsWritten.empty()
                  ? std::string(kTxtNoConfigurationAcknowledged.text(language))
                  : withText(kTxtConfigurationsAcknowledged, language,
                             numberList(outcome.configurationsWritten));
      const BilingualText& failed = outcome.link.mayHaveActed() ? kTxtConfigurationMayBeWritten
                                    : outcome.link.fault == ReplyFault::kException
                                        ? kTxtConfigurationRefused
                                        : kTxtConfigurationNotSent;
      text += '\n';
      text += withNumber(failed, language, outcome.failedNumber);
      if (!outcome.configurationsNotSent.empty()) {
        text += '\n';
        text += withText(kTxtConfigurationsNotSent, language,
                         numberList(outcome.configurationsNotSent));
      }
      return withPortFailure(text, outcome.link.port, language);
    }
  }
  text += "\n";
  text += kTxtNothingWritten.text(language);  // no configuration is sent before these steps
  return withPortFailure(text, outcome.link.port, language);
}

}  // namespace flowdesk
