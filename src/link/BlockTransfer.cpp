// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/BlockTransfer.h"

#include <array>

#include "base/Bytes.h"
#include "link/BlockMaps.h"

namespace flowdesk {

namespace {

// The block's bytes as `encode` lays them out through the map.
LinkResult writeEncoded(JbusMaster& master, const RegisterBlock& block, const FieldMap& map,
                        void (*encode)(const FieldMap&, std::uint8_t*)) {
  std::array<std::uint8_t, kRequestDataSize> area{};
  encode(map, area.data());
  return master.writeRegisters(block.firstRegister,
                               std::span(area).first(static_cast<std::size_t>(block.byteCount())));
}

}  // namespace

LinkResult readBlock(JbusMaster& master, const RegisterBlock& block, const FieldMap& map) {
  LinkResult r = master.readRegisters(block.firstRegister, block.count);
  if (r.ok()) decodeReply(map, r.data().data(), static_cast<std::size_t>(block.byteCount()));
  return r;
}

LinkResult writeBlock(JbusMaster& master, const RegisterBlock& block, const FieldMap& map) {
  return writeEncoded(master, block, map, encodeRequest);
}

LinkResult writeDefaultBlock(JbusMaster& master, const RegisterBlock& block, const FieldMap& map) {
  return writeEncoded(master, block, map, encodeDefaults);
}

LinkResult writeCommands(JbusMaster& master, const Commands& commands) {
  std::array<std::uint8_t, kRequestDataSize> area{};
  encodeCommandBlock(commands, area.data());
  return master.writeRegisters(
      kCommandBlock.firstRegister,
      std::span(area).first(static_cast<std::size_t>(kCommandBlock.byteCount())));
}

LinkResult readWord(JbusMaster& master, std::uint16_t reg, std::uint16_t& value) {
  LinkResult r = master.readRegisters(reg, 1);
  if (r.ok()) value = static_cast<std::uint16_t>(get16(r.data(), 0));
  return r;
}

LinkResult readModelWord(JbusMaster& master, ModelWord& word) {
  return readWord(master, kModelWordBlock.firstRegister, word.value);
}

SequenceResult runWriteSequence(JbusMaster& master, const std::vector<WriteStep>& steps,
                                const std::function<void(const std::string&)>& progress) {
  SequenceResult outcome;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const WriteStep& step = steps[i];
    if (progress && !step.text.empty()) progress(step.text);
    if (step.write) {
      outcome.link = step.write(master);
    } else {
      outcome.link = LinkResult{};
      outcome.link.fault = ReplyFault::kBadRequest;
    }
    if (!outcome.link.ok()) {
      outcome.failedStep = static_cast<int>(i);
      return outcome;
    }
    ++outcome.stepsDone;
    master.pause(kWritePauseMs);
  }
  return outcome;
}

}  // namespace flowdesk
