// SPDX-License-Identifier: GPL-3.0-or-later
// The virtual unit's state file parser on arbitrary files: what it accepts,
// written again and parsed, must be the same blocks; what it refuses leaves
// the blocks alone and says why.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "unit/StateFile.h"

using namespace flowdesk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::writeScratch("unit.state", data, size);
  std::string text;
  bool missing = true;
  std::string error;
  FUZZ_CHECK(unit::readTextFile(path, text, missing, error));
  FUZZ_CHECK(!missing && text.size() == size);

  unit::StoredBlocks blocks;
  blocks.maker[0] = 0x5A;
  const unit::StoredBlocks before = blocks;
  error.clear();
  if (!unit::parseState(text, blocks, error)) {
    FUZZ_CHECK(blocks == before);
    FUZZ_CHECK(!error.empty());
    return 0;
  }
  unit::StoredBlocks again;
  FUZZ_CHECK(unit::parseState(unit::formatState(blocks), again, error));
  FUZZ_CHECK(again == blocks);
  return 0;
}
