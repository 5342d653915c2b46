// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/BlockLength.h"

#include "base/BilingualText.h"
#include "base/Texts.h"

namespace flowdesk {

namespace {

constexpr BilingualText kTxtShortConfiguration{
    "Le fichier ne contient que %d des %d octets d'une configuration : les autres champs "
    "prennent leur valeur par défaut",
    "The file holds only %d of a configuration's %d bytes: the other fields take their "
    "defaults"};
constexpr BilingualText kTxtShortSettings{
    "Le fichier ne contient que %d des %d octets du bloc : les autres champs prennent leur "
    "valeur par défaut",
    "The file holds only %d of the block's %d bytes: the other fields take their defaults"};
constexpr BilingualText kTxtLongSpecialProbe{
    "Le fichier contient %d octets au lieu de %d : les octets en trop sont ignorés",
    "The file holds %d bytes instead of %d: the bytes past them are ignored"};

}  // namespace

FileResult blockLengthRefusal(const std::string& path, const BlockLength& length) {
  if (length.whole()) return {};
  return FileResult::sizeFault(FileStatus::kLengthMismatch, path, length.found, length.expected);
}

std::string blockLengthText(FileKind kind, const BlockLength& length, Language language) {
  if (length.whole()) return {};
  const BilingualText& text = kind == FileKind::kCalibration    ? kTxtShortConfiguration
                              : kind == FileKind::kSpecialProbe ? kTxtLongSpecialProbe
                                                                : kTxtShortSettings;
  return textWithNumbers(text.text(language), {length.found, length.expected});
}

}  // namespace flowdesk
