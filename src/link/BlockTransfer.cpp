// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/BlockTransfer.h"

#include "base/Bytes.h"

namespace flowdesk {

int readBlock(JbusMaster& master, const RegisterBlock& block, const FieldMap& map) {
  if (master.readRegisters(block.firstRegister, block.count) != 0) return -1;
  decodeReply(map, master.replyData(), static_cast<std::size_t>(block.byteCount()));
  return 0;
}

int writeBlock(JbusMaster& master, const RegisterBlock& block, const FieldMap& map) {
  encodeRequest(map, master.requestData());
  return master.writeRegisters(block.firstRegister, block.count);
}

int writeDefaultBlock(JbusMaster& master, const RegisterBlock& block, const FieldMap& map) {
  encodeDefaults(map, master.requestData());
  return master.writeRegisters(block.firstRegister, block.count);
}

int readWord(JbusMaster& master, std::uint16_t reg, std::uint16_t& value) {
  if (master.readRegisters(reg, 1) != 0) return -1;
  value = static_cast<std::uint16_t>(get16({master.replyData(), 2}, 0));
  return 0;
}

int readModelWord(JbusMaster& master, ModelWord& word) {
  return readWord(master, kModelWordBlock.firstRegister, word.value);
}

SequenceResult runWriteSequence(JbusMaster& master, const std::vector<WriteStep>& steps,
                                const std::function<void(const std::string&)>& progress) {
  SequenceResult outcome;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const WriteStep& step = steps[i];
    if (progress && !step.text.empty()) progress(step.text);
    if (!step.write || step.write(master) != 0) {
      outcome.result = -1;
      outcome.failedStep = static_cast<int>(i);
      return outcome;
    }
    ++outcome.stepsDone;
    master.pause(kWritePauseMs);
  }
  return outcome;
}

}  // namespace flowdesk
