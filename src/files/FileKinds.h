// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <span>
#include <string>
#include <string_view>

#include "base/BilingualText.h"
#include "base/FileFilters.h"

namespace flowdesk {

// The seven kinds of file the program keeps. Nothing inside a file tells its
// kind: the extension alone decides.
enum class FileKind {
  kMeasurement,      // "mes"
  kCalibration,      // "eta"
  kFactorySettings,  // "rus"
  kMakerSettings,    // "nvd"
  kLogger,           // "log"
  kEcho,             // "ech"
  kSpecialProbe,     // "csp540"
};

struct FileKindInfo {
  FileKind kind;
  const char* extension;      // without the dot
  BilingualText description;  // shown in file dialogs; empty for special probes
  bool newFromDefaults;       // a New command writes one from default values
};

// All kinds in the order an extension is matched: mes, eta, rus, nvd, log,
// ech, csp540.
std::span<const FileKindInfo> fileKinds();

const FileKindInfo& fileKindInfo(FileKind kind);

// The kind of an extension (without the dot), compared case-sensitively:
// "ETA" is no kind.
const FileKindInfo* fileKindByExtension(std::string_view extension);

// The kind of a path, from the extension after the last dot of its file name.
const FileKindInfo* fileKindOfPath(std::string_view path);

// The filter text of a kind's file prompts (see filterText in FileFilters.h).
std::string filterText(const FileKindInfo& kind, Language language);

// The combined filter of the Open command: a first entry "(*.*)" listing
// every openable extension (rus only in factory mode, nvd only in maker
// mode), then one entry per kind in the order mes, eta, log, ech, rus, nvd.
std::string openFilterText(Language language, bool factoryMode, bool makerMode);

// Filter of the spreadsheet program's Browse prompt: the label text followed
// by "(.exe)|*.exe|".
std::string programFilterText(Language language);

// Filter of the save prompt of the file conversion: "Fichier de Sortie"
// followed by "(*.prn)|*.prn|".
std::string prnFilterText(Language language);

}  // namespace flowdesk
