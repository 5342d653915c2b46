#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Environment.h"
#include "base/SettingsStore.h"

namespace flowdesk {

// The operator's settings file read and written without Qt, for the programs
// that have no Qt (flowdesk-cli). It is the very file the GUI's QSettings
// store uses, $XDG_CONFIG_HOME/flowdesk/<ApplicationName>.ini, in the same
// format: top-level values in [General], the catalogue in [Probe] and
// [Angle], keys escaped with %XX, texts in UTF-8 with C escapes and quoted when
// they hold ',', ';', '=' or blanks at either end, a leading '@' doubled.
// Entries it does not know are kept as they are.
//
// The file is read once when the store is made; writes stay in memory until
// sync() (or destruction) writes the whole file through a temporary file.
class IniSettingsStore : public SettingsStore {
 public:
  explicit IniSettingsStore(std::string filePath);
  ~IniSettingsStore() override;  // writes what is pending
  IniSettingsStore(const IniSettingsStore&) = delete;
  IniSettingsStore& operator=(const IniSettingsStore&) = delete;

  // $XDG_CONFIG_HOME/flowdesk/<applicationName>.ini, ~/.config/... when the
  // variable is unset, empty or relative.
  static std::string userFilePath(const std::string& applicationName,
                                  const EnvironmentLookup& env = processEnvironment());

  std::string readText(const std::string& key, const std::string& name,
                       const std::string& defaultValue) override;
  // Any whole number that fits 32 bits, signed or not; anything else gives
  // the default.
  std::int32_t readNumber(const std::string& key, const std::string& name,
                          std::int32_t defaultValue) override;
  void writeText(const std::string& key, const std::string& name,
                 const std::string& value) override;
  void writeNumber(const std::string& key, const std::string& name, std::int32_t value) override;
  bool sync() override;

  const std::string& filePath() const { return path_; }
  // The text of the last failed write ("" when none).
  const std::string& lastError() const { return error_; }

 private:
  struct Entry {
    std::string name;  // unescaped value name
    std::string raw;   // the value as it stands in the file
  };
  struct Section {
    std::string name;  // unescaped; "General" for the top level
    std::vector<Entry> entries;
  };

  void load();
  const Entry* find(const std::string& key, const std::string& name) const;
  void put(const std::string& key, const std::string& name, std::string raw);
  std::string render() const;

  std::string path_;
  std::vector<Section> sections_;
  bool dirty_ = false;
  std::string error_;
};

// The escaping rules of the file, exposed for tests.
std::string iniEscapeKey(std::string_view utf8);
std::string iniUnescapeKey(std::string_view raw);
std::string iniEscapeText(std::string_view utf8);
// A value as a text: escapes resolved, quotes removed, a list (unquoted
// commas) joined with ", ", "@@" read as "@". Other "@Type(...)" values are
// not texts: `isText` is then false.
std::string iniUnescapeText(std::string_view raw, bool* isText = nullptr);

}  // namespace flowdesk
