// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <string_view>

#include "base/BilingualText.h"

namespace flowdesk {

// Paths are Linux paths: "/" separates folders. A folder path such as
// LastPathName always ends with "/"; an empty one means the current directory.

// The path with its extension forced: the file-name part (after the last "/")
// is cut at its first dot, then "." and the extension are appended. A dot in a
// folder name is left alone. "report" and "report.txt" give "report.eta",
// "x.old.eta" gives "x.eta".
std::string forceExtension(std::string_view path, std::string_view extension);

// LastPathName of a path: everything up to and including its last "/"; "" when
// the path has no "/".
std::string lastPathName(std::string_view path);

// The name a new file gets in `folder`: folder + base + "." + extension when
// no entry of the folder matches base + "*." + extension, else folder + base +
// (M + 1) + "." + extension, M being the largest number found between the
// base and the first dot after it in the matching names (no digits count as
// 0). Nouveau.eta, then Nouveau1.eta, Nouveau2.eta ...
//
// Matching ignores ASCII case, so that on a case-blind file system (a FAT
// stick) the name proposed never lands on an existing file. Numbers are
// capped; should a name carry the cap, the lowest free number is used
// instead, so the result is never the name of an existing entry.
// No file is created. A folder that cannot be listed counts as empty.
std::string nextFreeName(std::string_view folder, std::string_view base,
                         std::string_view extension);

// The same with the base in the current language (kTxtNewFileBase for New,
// kTxtDeviation for the deviation report).
std::string nextFreeName(std::string_view folder, const BilingualText& base, Language language,
                         std::string_view extension);

// Largest number a name may carry before the next free name stops counting up.
inline constexpr long kMaxNameNumber = 999999999;

// The name proposed for the spreadsheet text of a source file: its file name
// without folder, every "." removed, followed by ".prn" ("x.log" -> "xlog.prn").
std::string prnNameFor(std::string_view sourcePath);

}  // namespace flowdesk
