// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/AppSettings.h"

#include <pwd.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/BuiltinProbeCatalogue.h"

namespace flowdesk {

namespace {

namespace fs = std::filesystem;

std::string withSlash(std::string path) {
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}

// The 16-bit fields keep the low 16 bits of what was stored (70000 -> 4464,
// 65535 -> -1): the store holds 32-bit numbers, the unit's words are 16 bits.
std::int16_t narrow(std::int32_t stored) {
  return static_cast<std::int16_t>(stored);
}

// Creates the folder (and its parents) and checks that a file could be made
// in it.
bool usableFolder(const std::string& folder) {
  std::error_code ec;
  fs::create_directories(folder, ec);  // "exists already" is not an error here
  if (!fs::is_directory(folder, ec)) return false;
  return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string homeFolder(const EnvironmentLookup& env) {
  if (env) {
    if (auto home = env("HOME"); home && !home->empty()) return *home;
  }
  // No HOME: the account database still knows the folder.
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
      found != nullptr && found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return {};
}

std::string userDataFolder(const EnvironmentLookup& env) {
  std::string base;
  // A relative XDG_DATA_HOME is invalid and must be ignored.
  if (env) {
    if (auto xdg = env("XDG_DATA_HOME"); xdg && !xdg->empty() && xdg->front() == '/') base = *xdg;
  }
  if (base.empty()) {
    const std::string home = homeFolder(env);
    if (home.empty()) return {};
    base = withSlash(home) + ".local/share";
  }
  return withSlash(base) + "flowdesk/Data/";
}

}  // namespace

std::array<std::string, kPortCount> AppSettings::devices() const {
  return {Device1, Device2, Device3, Device4};
}

std::string* AppSettings::deviceSetting(int portIndex) {
  switch (portIndex) {
    case 0:
      return &Device1;
    case 1:
      return &Device2;
    case 2:
      return &Device3;
    case 3:
      return &Device4;
    default:
      return nullptr;
  }
}

std::int32_t storedJbus(float jbus) {
  if (std::isnan(jbus)) return 1;
  // Compared as floats: 2^31 is exact, and every float below it converts.
  if (!(jbus < 2147483648.0f)) return std::numeric_limits<std::int32_t>::max();
  if (jbus < -2147483648.0f) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(jbus);  // truncates toward zero
}

std::string documentsFolder(const EnvironmentLookup& env) {
  const std::string home = homeFolder(env);
  std::string config;
  if (env) {
    if (auto xdg = env("XDG_CONFIG_HOME"); xdg && !xdg->empty() && xdg->front() == '/')
      config = *xdg;
  }
  if (config.empty() && !home.empty()) config = withSlash(home) + ".config";
  // The desktop's own choice, as xdg-user-dirs writes it:
  // XDG_DOCUMENTS_DIR="$HOME/Documents" (the name may be translated).
  if (!config.empty()) {
    std::ifstream dirs(withSlash(config) + "user-dirs.dirs");
    std::string line;
    constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
    while (std::getline(dirs, line)) {
      if (line.rfind(kKey, 0) != 0) continue;
      std::string value = line.substr(kKey.size());
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
      }
      if (value.rfind("$HOME", 0) == 0 && !home.empty()) value = home + value.substr(5);
      if (!value.empty() && value.front() == '/') {
        while (value.size() > 1 && value.back() == '/') value.pop_back();
        return value;
      }
    }
  }
  if (home.empty()) return {};
  return withSlash(home) + "Documents";
}

std::string prepareDataFolder(const EnvironmentLookup& env, bool* ready) {
  const std::string documents = documentsFolder(env);
  if (!documents.empty()) {
    const std::string folder = withSlash(documents) + "flowdesk/";
    if (usableFolder(folder)) {
      if (ready != nullptr) *ready = true;
      return folder;
    }
  }
  const std::string folder = userDataFolder(env);
  const bool ok = !folder.empty() && usableFolder(folder);
  if (ready != nullptr) *ready = ok;
  return folder;
}

const char* replyEndWord(ReplyEndRule rule) {
  return rule == ReplyEndRule::kLength ? "length" : "silence";
}

bool parseReplyEndWord(const std::string& word, ReplyEndRule& out) {
  if (word == "silence") {
    out = ReplyEndRule::kSilence;
  } else if (word == "length") {
    out = ReplyEndRule::kLength;
  } else {
    return false;
  }
  return true;
}

ReplyEndRule AppSettings::replyEndRule() const {
  return ReplyEnd == static_cast<std::int32_t>(ReplyEndRule::kLength) ? ReplyEndRule::kLength
                                                                      : ReplyEndRule::kSilence;
}

SettingsLoadResult loadSettings(SettingsStore& store, AppSettings& s,
                                const EnvironmentLookup& env) {
  const std::string key = kSettingsKey;
  s.LastPathName = store.readText(key, "LastPathName", "");
  s.LastFileSpName = store.readText(key, "LastFileSpName", "");
  s.LastPathPrnFileName = store.readText(key, "LastPathPrnFileName", "");
  s.Com = store.readNumber(key, "Com", 0);
  s.Jbus = static_cast<float>(store.readNumber(key, "Jbus", 1));
  s.Language = store.readNumber(key, "Language", 0);
  s.Bauds = store.readNumber(key, "Bauds", 5);
  s.Unit = narrow(store.readNumber(key, "Unit", 0));
  s.FSp1 = narrow(store.readNumber(key, "FSp1", 0));
  s.FSp2 = narrow(store.readNumber(key, "FSp2", 0));
  s.T0Sp1 = narrow(store.readNumber(key, "T0Sp1", 0));
  s.T0Sp2 = narrow(store.readNumber(key, "T0Sp2", 0));
  s.Device1 = store.readText(key, "Device1", "");
  s.Device2 = store.readText(key, "Device2", "");
  s.Device3 = store.readText(key, "Device3", "");
  s.Device4 = store.readText(key, "Device4", "");
  s.OpenFilesAsPlot = store.readNumber(key, "OpenFilesAsPlot", 0) != 0;
  ReplyEndRule rule = ReplyEndRule::kSilence;
  parseReplyEndWord(store.readText(key, "ReplyEnd", ""), rule);
  s.ReplyEnd = static_cast<std::int32_t>(rule);

  bool anyName = false;
  for (int i = 0; i < kProbeCount; ++i) {
    const std::string name = std::to_string(i);
    ProbeEntry& entry = s.probes[static_cast<std::size_t>(i)];
    entry.name = store.readText(kProbeKey, name, "");
    entry.angle = narrow(store.readNumber(kAngleKey, name, 0));
    anyName = anyName || !entry.name.empty();
  }

  SettingsLoadResult result;
  // Only the names decide: a store with one name keeps its paths, even empty.
  if (!anyName) {
    result.firstRun = true;
    s.probes = builtinProbeCatalogue();
    result.dataFolder = prepareDataFolder(env, &result.dataFolderReady);
    s.LastPathName = result.dataFolder;
    s.LastPathPrnFileName = result.dataFolder;
  }
  return result;
}

bool saveSettings(SettingsStore& store, const AppSettings& s) {
  const std::string key = kSettingsKey;
  store.writeText(key, "LastPathName", s.LastPathName);
  store.writeText(key, "LastFileSpName", s.LastFileSpName);
  store.writeText(key, "LastPathPrnFileName", s.LastPathPrnFileName);
  store.writeNumber(key, "Com", s.Com);
  store.writeNumber(key, "Jbus", storedJbus(s.Jbus));
  store.writeNumber(key, "Language", s.Language);
  store.writeNumber(key, "Bauds", s.Bauds);
  // Widening an int16_t sign-extends: -1 is stored as -1, not 65535.
  store.writeNumber(key, "Unit", s.Unit);
  store.writeNumber(key, "FSp1", s.FSp1);
  store.writeNumber(key, "FSp2", s.FSp2);
  store.writeNumber(key, "T0Sp1", s.T0Sp1);
  store.writeNumber(key, "T0Sp2", s.T0Sp2);
  store.writeText(key, "Device1", s.Device1);
  store.writeText(key, "Device2", s.Device2);
  store.writeText(key, "Device3", s.Device3);
  store.writeText(key, "Device4", s.Device4);
  store.writeNumber(key, "OpenFilesAsPlot", s.OpenFilesAsPlot ? 1 : 0);
  store.writeText(key, "ReplyEnd", replyEndWord(s.replyEndRule()));
  for (int i = 0; i < kProbeCount; ++i) {
    const std::string name = std::to_string(i);
    const ProbeEntry& entry = s.probes[static_cast<std::size_t>(i)];
    store.writeText(kProbeKey, name, entry.name);
    store.writeNumber(kAngleKey, name, entry.angle);
  }
  return store.sync();
}

std::string executablePath() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.string();
}

std::string programDirectoryOf(const std::string& executable) {
  const auto slash = executable.rfind('/');
  if (slash == std::string::npos) return {};
  return executable.substr(0, slash + 1);
}

std::string applicationNameOf(const std::string& executable) {
  const auto slash = executable.rfind('/');
  std::string name = slash == std::string::npos ? executable : executable.substr(slash + 1);
  const auto dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

}  // namespace flowdesk
