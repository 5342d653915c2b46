// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

#include "base/AppSettings.h"
#include "base/BinaryFile.h"
#include "files/FileKinds.h"

namespace flowdesk {

// Writes a new file of the kind's default values at exactly `path` (no
// extension forcing), as File > New and `flowdesk-cli new` make it. A
// calibration file takes the settings' catalogue and special-probe words so
// it matches what this installation knows. A kind that has no defaults
// (fileKindInfo(kind).newFromDefaults is false) writes nothing and fails as
// UnknownKind.
FileResult writeDefaultFile(FileKind kind, const std::string& path, const AppSettings& settings);

}  // namespace flowdesk
