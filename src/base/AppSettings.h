// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "base/BilingualText.h"
#include "base/Environment.h"
#include "base/IdentificationCache.h"
#include "base/SettingsStore.h"

namespace flowdesk {

inline constexpr int kPortCount = 4;  // Com1 to Com4

// How the Jbus master knows a reply is over: by the silence after its last
// byte (the protocol's own rule, and the default), or by its last byte once
// the first ones tell how long it is. The silence costs 150 ms a reply at the
// usual rates, which is most of a logger download; the length rule is the
// operator's choice because a unit that pads its replies would defeat it.
enum class ReplyEndRule : std::int32_t { kSilence = 0, kLength = 1 };

// "silence" and "length": the words of the settings file and of --reply-end.
const char* replyEndWord(ReplyEndRule rule);
// The rule a word names; nothing for another word.
bool parseReplyEndWord(const std::string& word, ReplyEndRule& out);

// The persisted settings: one instance for the whole run, loaded before the
// main window opens and saved after it closes. Every part of the program reads
// and changes the fields directly in between. The identification cache (unit
// code, special-probe words, probe catalogue) is part of it.
struct AppSettings : IdentificationCache {
  std::string LastPathName;         // folder offered by file dialogs, ends with "/"
  std::string LastFileSpName;       // the spreadsheet program
  std::string LastPathPrnFileName;  // last folder of spreadsheet-text files
  std::int32_t Com = 0;             // port index, 0 = Com1
  float Jbus = 1.0f;                // slave address; stored as a whole number
  std::int32_t Language = 0;        // 0 French, 1 English
  std::int32_t Bauds = 5;           // index into the baud-rate table
  // The operator's device path for Com1..Com4; empty = the default mapping
  // of the serial devices found.
  std::string Device1;
  std::string Device2;
  std::string Device3;
  std::string Device4;
  // File > Open of a measurement or logger file shows its plot instead of
  // its screen: a month of logger records reads better as curves.
  bool OpenFilesAsPlot = false;
  // A ReplyEndRule as a list index (the connection page binds it as one);
  // stored as its word, so an unknown word reads back as the silence rule.
  std::int32_t ReplyEnd = 0;

  // Language as a language: French for any index but English's.
  flowdesk::Language language() const { return languageOf(Language); }

  // ReplyEnd as a rule: the silence rule for any index but the length one.
  ReplyEndRule replyEndRule() const;

  // Device1..Device4 by port index 0..3, in that order.
  std::array<std::string, kPortCount> devices() const;
  // The DeviceN field of a port index; nullptr outside 0..3.
  std::string* deviceSetting(int portIndex);
};

// Key paths inside the application's settings.
inline constexpr const char* kSettingsKey = "";
inline constexpr const char* kProbeKey = "Probe";
inline constexpr const char* kAngleKey = "Angle";

// What loadSettings found.
struct SettingsLoadResult {
  bool firstRun = false;         // no probe name was stored: built-in catalogue copied
  std::string dataFolder;        // first run only: the folder both paths now name
  bool dataFolderReady = false;  // that folder exists and is writable
};

// Reads every setting (defaults for what is missing, silently). On a first
// run, also copies the built-in probe catalogue and points LastPathName and
// LastPathPrnFileName at the data folder, which it creates: "flowdesk/" in
// the user's documents folder (~/Documents/flowdesk/) when that can be
// created and written, otherwise $XDG_DATA_HOME/flowdesk/Data/
// (~/.local/share/flowdesk/Data/). Never the program's folder: an installed
// program's folder is not the user's to write, and a build folder is deleted
// with the build. A default folder that cannot take a file would make every
// first save fail.
SettingsLoadResult loadSettings(SettingsStore& store, AppSettings& settings,
                                const EnvironmentLookup& env = processEnvironment());

// Writes every setting, changed or not. False when the store reports that the
// settings could not be written (the caller may warn; nothing else is lost).
bool saveSettings(SettingsStore& store, const AppSettings& settings);

// The first-run data folder (see loadSettings), created if missing.
// `ready` tells whether it exists and is writable in the end.
std::string prepareDataFolder(const EnvironmentLookup& env, bool* ready = nullptr);

// The user's documents folder as the desktop names it: XDG_DOCUMENTS_DIR of
// user-dirs.dirs in the configuration folder, else ~/Documents (whether or
// not it exists); "" when there is no home folder.
std::string documentsFolder(const EnvironmentLookup& env);

// Jbus as stored: truncated toward zero (12.9 -> 12); a value beyond 32 bits
// is clamped, and a NaN stores the default address 1.
std::int32_t storedJbus(float jbus);

// The running program's own file (empty if it cannot be found).
std::string executablePath();
// The folder of a program file, ending with "/" (empty for a bare name).
std::string programDirectoryOf(const std::string& executable);
// A program file's name without folder and extension: the settings file name.
std::string applicationNameOf(const std::string& executable);

}  // namespace flowdesk
