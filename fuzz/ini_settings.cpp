// The settings file parser on arbitrary files: the program's settings loaded
// from it, saved and loaded again must be the same settings, a second save
// must write the same file (entries the program does not know included), and
// the escaping of names and texts must give back what it was given.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "base/AppSettings.h"
#include "base/BinaryFile.h"
#include "base/IniSettingsStore.h"

using namespace flowdesk;

namespace {

// Whether `s` is well-formed UTF-8 (no surrogates, nothing above U+10FFFF,
// shortest forms only).
bool isUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t extra = 0;
    std::uint32_t cp = 0;
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      extra = 1;
      cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2;
      cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3;
      cp = b & 0x07;
    } else {
      return false;
    }
    if (i + extra >= s.size()) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    i += extra + 1;
  }
  return true;
}

bool sameSettings(const AppSettings& a, const AppSettings& b) {
  return a.LastPathName == b.LastPathName && a.LastFileSpName == b.LastFileSpName &&
         a.LastPathPrnFileName == b.LastPathPrnFileName && a.Com == b.Com && a.Jbus == b.Jbus &&
         a.Language == b.Language && a.Bauds == b.Bauds && a.Unit == b.Unit && a.FSp1 == b.FSp1 &&
         a.FSp2 == b.FSp2 && a.T0Sp1 == b.T0Sp1 && a.T0Sp2 == b.T0Sp2 &&
         a.devices() == b.devices() && a.probes == b.probes;
}

Bytes fileBytes(const std::string& path) {
  Bytes bytes;
  FUZZ_CHECK(readWholeFile(path, bytes).ok());
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  // Escaping, on the input taken as one name or one text.
  bool isText = false;
  FUZZ_CHECK(iniUnescapeText(iniEscapeText(text), &isText) == text);
  FUZZ_CHECK(isText);
  if (isUtf8(text)) FUZZ_CHECK(iniUnescapeKey(iniEscapeKey(text)) == text);
  iniUnescapeKey(text);
  iniUnescapeText(text);

  // The input as a whole settings file.
  const std::string path = fuzz::writeScratch("flowdesk.ini", data, size);
  const std::string programDir = fuzz::scratch().file("program/");
  const EnvironmentLookup noEnvironment = [](const std::string&) {
    return std::optional<std::string>();
  };
  AppSettings first;
  {
    IniSettingsStore store(path);
    loadSettings(store, first, programDir, noEnvironment);
    FUZZ_CHECK(saveSettings(store, first));
  }
  const Bytes written = fileBytes(path);

  AppSettings second;
  {
    IniSettingsStore store(path);
    const SettingsLoadResult loaded = loadSettings(store, second, programDir, noEnvironment);
    FUZZ_CHECK(!loaded.firstRun);
    FUZZ_CHECK(saveSettings(store, second));
  }
  FUZZ_CHECK(sameSettings(first, second));
  FUZZ_CHECK(fileBytes(path) == written);
  return 0;
}
