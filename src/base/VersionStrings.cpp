// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/VersionStrings.h"

#include "base/BilingualText.h"
#include "base/BuildInfo.h"

namespace flowdesk {

std::string VersionStrings::value(std::string_view key) const {
  if (key == "InternalName") return InternalName;
  if (key == "FileVersion") return FileVersion;
  if (key == "FileDescription") return FileDescription;
  if (key == "LegalCopyright") return LegalCopyright;
  if (key == "CompanyName") return CompanyName;
  return {};
}

VersionStrings VersionStrings::in(Language language) const {
  VersionStrings v = *this;
  if (language == kEnglish) {
    if (!FileDescriptionEn.empty()) v.FileDescription = FileDescriptionEn;
    if (!LegalCopyrightEn.empty()) v.LegalCopyright = LegalCopyrightEn;
  }
  return v;
}

VersionStrings VersionStrings::load() {
  const auto text = [](const char* s) { return s == nullptr ? std::string() : std::string(s); };
  VersionStrings v;
  v.InternalName = text(build::kInternalName);
  v.FileVersion = text(build::kFileVersion);
  v.FileDescription = text(build::kFileDescription);
  v.LegalCopyright = text(build::kLegalCopyright);
  v.CompanyName = text(build::kCompanyName);
  v.FileDescriptionEn = text(build::kFileDescriptionEn);
  v.LegalCopyrightEn = text(build::kLegalCopyrightEn);
  return v;
}

}  // namespace flowdesk
