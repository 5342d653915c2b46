// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/Blocks.h"
#include "link/FieldMap.h"
#include "link/JbusMaster.h"

namespace flowdesk {

// The block reads and writes every screen makes, in one place: a read
// decodes only when the transfer succeeded (a failed read leaves the image as
// it was; the result's data() holds the block's bytes), a write sends the
// image (or the defaults) through the block's map.
LinkResult readBlock(JbusMaster& master, const RegisterBlock& block, const FieldMap& map);
LinkResult writeBlock(JbusMaster& master, const RegisterBlock& block, const FieldMap& map);
LinkResult writeDefaultBlock(JbusMaster& master, const RegisterBlock& block, const FieldMap& map);

// The CommandBlock with these flags (BlockMaps.h).
struct Commands;
LinkResult writeCommands(JbusMaster& master, const Commands& commands);

// One register, high byte first; `value` is left alone on failure.
LinkResult readWord(JbusMaster& master, std::uint16_t reg, std::uint16_t& value);

// The model word (register 10), the one place its meaning is kept: a low
// byte that is not 0 means a unit with a logger and 18 configurations; the
// others have 2.
struct ModelWord {
  std::uint16_t value = 0;
  bool hasLogger() const { return (value & 0xFF) != 0; }
  int configurationCount() const { return hasLogger() ? kMaxConfigurations : 2; }
};
LinkResult readModelWord(JbusMaster& master, ModelWord& word);

// The unit needs time to store a block before the next request.
inline constexpr int kWritePauseMs = 600;

// One step of a write sequence: a text for the progress window (empty: keep
// the previous one) and the write itself.
struct WriteStep {
  std::string text;
  std::function<LinkResult(JbusMaster&)> write;
};

// What an upload did, in one shape for every screen that writes to the
// unit: whether all of it went, the step that failed and the number it had
// when it has one (a configuration), the steps that went, in order, and the
// step texts as the progress window showed them. Each session words its
// outcome once, for its screen and for flowdesk-cli alike.
template <typename Step>
struct StepOutcome {
  bool ok = true;
  Step failedStep{};      // when !ok
  int failedNumber = -1;  // when the failed step has a number
  std::vector<Step> written;
  std::vector<std::string> stepTexts;
  // The result of the last exchange: when !ok because of it, why (the texts
  // say the port's reason after the step).
  LinkResult link;
};

struct SequenceResult {
  LinkResult link;      // the failed step's result; ok when every step went
  int failedStep = -1;  // index of the step that failed
  int stepsDone = 0;    // steps written successfully
};

// Runs the steps in order, each followed by the pause; the first failure
// ends the sequence (what was written stays written). `progress` is called
// with each step's text before the step runs.
SequenceResult runWriteSequence(JbusMaster& master, const std::vector<WriteStep>& steps,
                                const std::function<void(const std::string&)>& progress = {});

}  // namespace flowdesk
