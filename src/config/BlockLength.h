// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

#include "base/BilingualText.h"
#include "base/BinaryFile.h"
#include "files/FileKinds.h"

namespace flowdesk {

// A parameter file may hold fewer bytes of its block than the unit's block
// has (its header says so: a file from an older program, or a broken one),
// and a special-probe file more than its ten. Such a file is shown, the
// fields it lacks taking their defaults, and said to be so; it is never
// written to the unit, which would then get defaults the file never held
// (a length word of 0 would make a configuration of nothing but defaults).

// The bytes a file holds of its block, and the bytes the block has.
struct BlockLength {
  long long found = 0;
  long long expected = 0;
  bool whole() const { return found == expected; }
};

// Ok for a whole block; otherwise why an upload of the file is refused,
// naming the file and both lengths (LengthMismatch).
FileResult blockLengthRefusal(const std::string& path, const BlockLength& length);

// The sentence that marks a file of the kind whose block is not whole when
// it is shown; "" for a whole one.
std::string blockLengthText(FileKind kind, const BlockLength& length, Language language);

}  // namespace flowdesk
