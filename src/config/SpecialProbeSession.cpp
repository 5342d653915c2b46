// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/SpecialProbeSession.h"

#include <algorithm>
#include <cmath>

#include "base/FieldFormat.h"
#include "base/Texts.h"
#include "base/ValueLists.h"
#include "config/UnitWrites.h"

namespace flowdesk {

namespace {

constexpr BilingualText kTxtNoSlotChosen{"Ni SA ni SB n'est coché : rien n'est transféré",
                                         "Neither SA nor SB is ticked: nothing is uploaded"};
constexpr BilingualText kTxtFactoryUnread{"Lecture du Réglage Usine impossible",
                                          "The factory settings could not be read"};

float held(float value, float max) {
  return std::isfinite(value) ? std::clamp(value, 0.0f, max) : 0.0f;
}

}  // namespace

SpecialProbeSession::SpecialProbeSession(AppContext& context) : context_(context) {}

bool SpecialProbeSession::editable() const {
  return context_.modeFlags.maker;
}

FileResult SpecialProbeSession::open(const std::string& path) {
  filePath_ = path;
  intoSp1 = true;
  intoSp2 = false;
  // The unit may hold other probes than the cache says by now.
  context_.master.forgetIdentification();
  SpecialProbe read;
  long long fileBytes = 0;
  FileResult r = readSpecialProbeFileBytes(path, read, fileBytes);
  // A refused file leaves nothing that could be uploaded.
  fileLength_ = {r.ok() ? fileBytes : 0, static_cast<long long>(kSpecialProbeFileBytes)};
  if (!r.ok()) return r;
  probe = std::move(read);
  clampProbe();
  return r;
}

void SpecialProbeSession::clampProbe() {
  probe.name = cutText(probe.name, kSpecialProbeNameBytes);
  probe.t0 = held(probe.t0, kSpecialProbeMaxT0);
  probe.angle = held(probe.angle, kSpecialProbeMaxAngle);
  // The list offers eight entries; another index shows (and is sent as) the first.
  if (probe.frequency < 0 || probe.frequency >= kFrequencyCountSpecialProbe) probe.frequency = 0;
}

void SpecialProbeSession::holdIdentification() {
  context_.master.markIdentified();
}

SpecialProbeUploadOutcome SpecialProbeSession::upload() {
  SpecialProbeUploadOutcome outcome;
  outcome.intoSp1 = intoSp1;
  outcome.intoSp2 = intoSp2;
  outcome.file = uploadRefusal();
  if (!transfertOffered() || !outcome.file.ok()) {
    outcome.ok = false;
    outcome.failedStep = SpecialProbeStep::kChoice;
    return outcome;
  }
  clampProbe();
  holdIdentification();
  bool changed = false;
  outcome.link = rewriteFactoryBlock(context_.master, context_.image, [&](FactoryRegion& factory) {
    changed = true;
    for (int slot : {0, 1}) {
      if (slot == 0 ? !intoSp1 : !intoSp2) continue;
      SpecialProbeSlot& sp = factory.specialProbes[static_cast<std::size_t>(slot)];
      sp.frequency = probe.frequency;
      sp.t0 = probe.t0;
      sp.angle = probe.angle;
      sp.text = probe.name;
    }
  });
  // Whatever happened, the next exchange learns the unit's probes again.
  context_.master.forgetIdentification();
  outcome.ok = outcome.link.ok();
  if (!outcome.ok) {
    outcome.failedStep = changed ? SpecialProbeStep::kWrite : SpecialProbeStep::kRead;
  }
  if (changed) outcome.written.push_back(SpecialProbeStep::kRead);
  if (outcome.ok) outcome.written.push_back(SpecialProbeStep::kWrite);
  return outcome;
}

FileResult SpecialProbeSession::save(const std::string& path) {
  clampProbe();
  FileResult r = writeSpecialProbeFile(path, probe);
  if (!r.ok()) return r;
  // The page is on the file it wrote, which is whole.
  filePath_ = path;
  fileLength_.found = fileLength_.expected;
  return r;
}

std::string specialProbeUploadText(const SpecialProbeUploadOutcome& outcome, Language language) {
  if (outcome.ok) return {};
  std::string text = kTxtUploadFailure.text(language);
  if (!outcome.file.ok()) return text + "\n" + outcome.file.message(language);
  if (outcome.failedAt(SpecialProbeStep::kChoice)) return kTxtNoSlotChosen.text(language);
  if (outcome.failedAt(SpecialProbeStep::kRead)) {
    text += std::string("\n") + kTxtFactoryUnread.text(language);
  }
  return withPortFailure(text, outcome.link.port, language);
}

}  // namespace flowdesk
