#pragma once
#include <string>
#include <string_view>

namespace flowdesk {

// The program's five version texts, compiled in from the build. Shown in the
// main window title, the About box and on printed pages.
struct VersionStrings {
  std::string InternalName;
  std::string FileVersion;
  std::string FileDescription;
  std::string LegalCopyright;
  std::string CompanyName;

  // The text of one key ("InternalName", "FileVersion" ...); an unknown key
  // gives an empty text, as a version block without that entry would.
  std::string value(std::string_view key) const;

  // The texts of this build.
  static VersionStrings load();
};

}  // namespace flowdesk
