// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <string>
#include <string_view>

#include "unit/RegisterTables.h"

namespace flowdesk::unit {

// What the unit keeps across runs: every block a master can write and read back.
struct StoredBlocks {
  std::array<ConfigBytes, kMaxConfigs> configs{};
  FactoryBytes factory{};
  MakerBytes maker{};
  LoggerSettingsBytes logger{};
  bool operator==(const StoredBlocks&) const = default;
};

// A text file, one block per line as hexadecimal bytes:
//   config N <248 hex digits> | factory <136> | maker <24> | logger <24>
// Lines starting with '#' and blank lines are skipped. A block the file does
// not name keeps the value it had.
std::string formatState(const StoredBlocks& blocks);
bool parseState(std::string_view text, StoredBlocks& blocks, std::string& error);

// Reads the whole file. `missing` is set (and true returned) when it does not exist.
bool readTextFile(const std::string& path, std::string& text, bool& missing, std::string& error);
// Replaces `path` with `text` as every file of the program is replaced
// (writeFileAtomic): a failed write never leaves half a file in place of a
// good one.
bool writeFileAtomically(const std::string& path, std::string_view text, std::string& error);

}  // namespace flowdesk::unit
