// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "base/BilingualText.h"
#include "base/qt/UserInterface.h"

class QWidget;

namespace flowdesk {

// The prompts ask through userInterface(): its file dialog, and its yes/no
// question for the second replace check.

// Save prompt for one kind of file: the dialog shows only files of the
// extension, starts in `lastPathName` and asks before replacing the name as
// typed. The extension of the chosen name is forced ("report", "report.txt"
// -> "report.eta"). When forcing it lands on another existing file, that file
// is not replaced silently: the replace question is asked for it too, and a
// "no" is a cancel. On confirmation `lastPathName` follows the path chosen,
// which is handed back; on cancel nothing changes.
std::optional<std::string> askSaveFile(QWidget* parent, std::string& lastPathName,
                                       const BilingualText& description, std::string_view extension,
                                       Language language);
// Open prompt: the same with an Open dialog on existing files; the path
// handed back also ends in the extension.
std::optional<std::string> askOpenFile(QWidget* parent, std::string& lastPathName,
                                       const BilingualText& description, std::string_view extension,
                                       Language language);

// The path as the save prompt keeps it, and whether a file of that final
// name exists though the operator typed another name (the case the replace
// question covers). Pure, for tests.
struct ForcedSavePath {
  std::string path;
  bool replacesUnasked = false;
};
ForcedSavePath forcedSavePath(const std::string& chosen, std::string_view extension);

}  // namespace flowdesk
