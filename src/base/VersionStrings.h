// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <string_view>

#include "base/BilingualText.h"

namespace flowdesk {

// The program's five version texts, compiled in from the build. Shown in the
// main window title, the About box and on printed pages.
struct VersionStrings {
  std::string InternalName;
  std::string FileVersion;
  std::string FileDescription;
  std::string LegalCopyright;
  std::string CompanyName;
  // The worded texts in English. The five above are the French version
  // block's; an empty one here leaves the French text in English too.
  std::string FileDescriptionEn;
  std::string LegalCopyrightEn;

  // The five texts as the program shows them in `language` (0 French, 1
  // English).
  VersionStrings in(Language language) const;

  // The text of one key ("InternalName", "FileVersion" ...); an unknown key
  // gives an empty text, as a version block without that entry would.
  std::string value(std::string_view key) const;

  // The texts of this build.
  static VersionStrings load();
};

}  // namespace flowdesk
