// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>

#include "base/AppSettings.h"
#include "base/BuiltinProbeCatalogue.h"
#include "base/MemorySettingsStore.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

namespace fs = std::filesystem;

EnvironmentLookup fakeEnv(std::map<std::string, std::string> vars) {
  return [vars = std::move(vars)](const std::string& name) -> std::optional<std::string> {
    const auto it = vars.find(name);
    if (it == vars.end()) return std::nullopt;
    return it->second;
  };
}

TEST(BuiltinProbeCatalogue, MatchesTheShippedTable) {
  const struct {
    int index;
    const char* name;
    std::int16_t angle;
  } rows[] = {
      {0, "SP No 1", 0},     {5, "SP No 6", 0},     {6, "T210", 6022},  {7, "T210-I", 5980},
      {8, "T216", 6022},     {9, "T216-HT", 6022},  {10, "T221", 6022}, {11, "T224", 6022},
      {12, "T225", 6022},    {13, "T225-HT", 6022}, {14, "T226", 6022}, {15, "T240-1", 6022},
      {16, "T240-05", 6022}, {17, "T203-A", 0},     {18, "T203-B", 0},  {19, "T203-C", 0},
      {20, "T231", 0},       {21, "T232-1", 0},     {22, "T232-2", 0},  {23, "T234", 0},
      {24, "T239", 0},       {25, "", 0},           {29, "", 0},
  };
  const ProbeCatalogue& c = builtinProbeCatalogue();
  for (const auto& r : rows) {
    SCOPED_TRACE(r.index);
    EXPECT_EQ(c[static_cast<std::size_t>(r.index)].name, r.name);
    EXPECT_EQ(c[static_cast<std::size_t>(r.index)].angle, r.angle);
  }
  for (const auto& e : c) EXPECT_LT(e.name.size(), 12u);  // fits the unit's name field
}

TEST(LoadSettings, FirstRunGivesDefaultsCatalogueAndACreatedDataFolder) {
  testing::TempDir tmp;
  MemorySettingsStore store;  // nothing stored: a new machine
  AppSettings s;
  s.Language = 1;  // whatever was in memory is replaced
  s.Com = 3;
  const auto result = loadSettings(store, s, fakeEnv({{"HOME", tmp.file("home")}}));

  EXPECT_TRUE(result.firstRun);
  EXPECT_TRUE(result.dataFolderReady);
  EXPECT_EQ(s.Language, 0);
  EXPECT_EQ(s.Com, 0);
  EXPECT_EQ(s.Jbus, 1.0f);
  EXPECT_EQ(s.Bauds, 5);
  EXPECT_EQ(s.Unit, 0);
  EXPECT_EQ(s.FSp1 + s.FSp2 + s.T0Sp1 + s.T0Sp2, 0);
  EXPECT_EQ(s.LastFileSpName, "");
  EXPECT_EQ(s.devices(), (std::array<std::string, 4>{}));
  EXPECT_EQ(s.probes, builtinProbeCatalogue());
  const std::string data = tmp.file("home/Documents/flowdesk/");
  EXPECT_EQ(s.LastPathName, data);
  EXPECT_EQ(s.LastPathPrnFileName, data);
  EXPECT_EQ(result.dataFolder, data);
  EXPECT_TRUE(fs::is_directory(data));
  EXPECT_TRUE(store.values.empty()) << "loading must not write";
}

TEST(LoadSettings, FirstRunDataFolderIsInTheDocumentsFolderOrTheUserDataFolder) {
  testing::TempDir tmp;
  const std::string home = tmp.file("home");
  const std::string xdg = tmp.file("xdg");
  const std::string config = tmp.file("config");
  fs::create_directories(home + "/.config");
  fs::create_directories(config);
  std::ofstream(home + "/.config/user-dirs.dirs")
      << "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Bureau\"\n"
         "XDG_DOCUMENTS_DIR=\"$HOME/Mes documents/\"\n";
  std::ofstream(config + "/user-dirs.dirs")
      << "XDG_DOCUMENTS_DIR=\"" << tmp.file("elsewhere") << "\"\n";
  const std::string blocked = tmp.file("blocked");
  fs::create_directories(blocked);
  std::ofstream(blocked + "/Documents") << "a file where the folder should be";
  const struct {
    const char* what;
    std::map<std::string, std::string> env;
    std::string expected;
  } cases[] = {
      {"the desktop's documents folder, $HOME expanded",
       {{"HOME", home}},
       home + "/Mes documents/flowdesk/"},
      {"XDG_CONFIG_HOME names the configuration folder",
       {{"HOME", home}, {"XDG_CONFIG_HOME", config}},
       tmp.file("elsewhere/flowdesk/")},
      {"a relative XDG_CONFIG_HOME is ignored",
       {{"HOME", home}, {"XDG_CONFIG_HOME", "config"}},
       home + "/Mes documents/flowdesk/"},
      {"no user-dirs.dirs: ~/Documents",
       {{"HOME", tmp.file("bare")}},
       tmp.file("bare/Documents/flowdesk/")},
      {"documents folder cannot be made",
       {{"HOME", blocked}, {"XDG_DATA_HOME", xdg}},
       xdg + "/flowdesk/Data/"},
      {"nor with no XDG_DATA_HOME", {{"HOME", blocked}}, blocked + "/.local/share/flowdesk/Data/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MemorySettingsStore store;
    AppSettings s;
    const auto result = loadSettings(store, s, fakeEnv(c.env));
    EXPECT_TRUE(result.firstRun);
    EXPECT_TRUE(result.dataFolderReady);
    EXPECT_EQ(s.LastPathName, c.expected);
    EXPECT_EQ(s.LastPathPrnFileName, c.expected);
    EXPECT_TRUE(fs::is_directory(c.expected));
  }
}

TEST(LoadSettings, FirstRunSkipsADocumentsFolderWithoutWriteAccess) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into any folder; covered by the cases above";
  testing::TempDir tmp;
  fs::create_directories(tmp.file("home/Documents"));
  ::chmod((tmp.file("home/Documents")).c_str(), 0555);
  MemorySettingsStore store;
  AppSettings s;
  loadSettings(store, s, fakeEnv({{"HOME", tmp.file("home")}, {"XDG_DATA_HOME", tmp.file("xdg")}}));
  EXPECT_EQ(s.LastPathName, tmp.file("xdg/flowdesk/Data/"));
  EXPECT_FALSE(fs::exists(tmp.file("home/Documents/flowdesk")));
}

TEST(LoadSettings, OnlyProbeNamesDecideAFirstRun) {
  testing::TempDir tmp;
  // Every name emptied by hand: first run again, old paths and angles replaced.
  MemorySettingsStore emptied;
  emptied.values[{"", "LastPathName"}] = std::string("/old/");
  emptied.values[{"", "LastPathPrnFileName"}] = std::string("/old/prn/");
  emptied.values[{"", "Language"}] = 1;
  for (int i = 0; i < kProbeCount; ++i) {
    emptied.values[{"Probe", std::to_string(i)}] = std::string();
    emptied.values[{"Angle", std::to_string(i)}] = 77;
  }
  AppSettings s;
  EXPECT_TRUE(loadSettings(emptied, s, fakeEnv({{"HOME", tmp.path()}})).firstRun);
  EXPECT_EQ(s.LastPathName, tmp.file("Documents/flowdesk/"));
  EXPECT_EQ(s.LastPathPrnFileName, tmp.file("Documents/flowdesk/"));
  EXPECT_EQ(s.probes, builtinProbeCatalogue());
  EXPECT_EQ(s.Language, 1);

  // One name, even the last one: the stored paths stay, even empty, and no
  // folder is made.
  MemorySettingsStore oneName;
  oneName.values[{"Probe", "29"}] = std::string("X1");
  oneName.values[{"Angle", "29"}] = 123;
  AppSettings t;
  t.LastPathName = "/in/memory/";
  const auto result = loadSettings(oneName, t, fakeEnv({{"HOME", tmp.file("other")}}));
  EXPECT_FALSE(result.firstRun);
  EXPECT_EQ(t.LastPathName, "");
  EXPECT_EQ(t.LastPathPrnFileName, "");
  EXPECT_FALSE(fs::exists(tmp.file("other")));
  EXPECT_EQ(t.probes[29], (ProbeEntry{"X1", 123}));
  EXPECT_EQ(t.probes[0], (ProbeEntry{}));
}

TEST(SaveSettings, JbusIsStoredTruncatedTowardZero) {
  const struct {
    float in;
    std::int32_t stored;
  } cases[] = {
      {12.9f, 12},
      {-12.9f, -12},
      {0.99f, 0},
      {247.0f, 247},
      {std::nanf(""), 1},
      {1e10f, std::numeric_limits<std::int32_t>::max()},
      {-1e10f, std::numeric_limits<std::int32_t>::min()},
      {std::numeric_limits<float>::infinity(), std::numeric_limits<std::int32_t>::max()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    MemorySettingsStore store;
    AppSettings s;
    s.Jbus = c.in;
    ASSERT_TRUE(saveSettings(store, s));
    EXPECT_EQ(store.values.at({"", "Jbus"}), MemorySettingsStore::Value(c.stored));
  }
  // Loaded back as the whole number.
  MemorySettingsStore store;
  AppSettings s;
  s.Jbus = 12.9f;
  saveSettings(store, s);
  testing::TempDir home;
  loadSettings(store, s, fakeEnv({{"HOME", home.path()}}));
  EXPECT_EQ(s.Jbus, 12.0f);
}

TEST(Settings, SixteenBitFieldsNarrowOnLoadAndSignExtendOnSave) {
  const struct {
    std::int32_t stored;
    std::int16_t loaded;
  } cases[] = {
      {70000, 4464}, {65535, -1}, {-1, -1}, {32768, -32768}, {-32769, 32767}, {6022, 6022},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    MemorySettingsStore store;
    for (const char* name : {"Unit", "FSp1", "FSp2", "T0Sp1", "T0Sp2"})
      store.values[{"", name}] = c.stored;
    store.values[{"Probe", "4"}] = std::string("P");
    store.values[{"Angle", "4"}] = c.stored;
    AppSettings s;
    loadSettings(store, s, fakeEnv({}));
    EXPECT_EQ(s.Unit, c.loaded);
    EXPECT_EQ(s.FSp1, c.loaded);
    EXPECT_EQ(s.FSp2, c.loaded);
    EXPECT_EQ(s.T0Sp1, c.loaded);
    EXPECT_EQ(s.T0Sp2, c.loaded);
    EXPECT_EQ(s.probes[4].angle, c.loaded);

    // Saved as the signed 32-bit value of the 16-bit field.
    MemorySettingsStore out;
    saveSettings(out, s);
    const MemorySettingsStore::Value expected = static_cast<std::int32_t>(c.loaded);
    for (const char* name : {"Unit", "FSp1", "FSp2", "T0Sp1", "T0Sp2"}) {
      EXPECT_EQ(out.values.at({"", name}), expected) << name;
    }
    EXPECT_EQ(out.values.at({"Angle", "4"}), expected);
  }
}

TEST(Settings, SaveWritesEveryValueAndLoadGivesThemBack) {
  AppSettings s;
  s.LastPathName = "/home/op/mesures/";
  s.LastFileSpName = "/usr/bin/libreoffice";
  s.LastPathPrnFileName = "/home/op/prn/";
  s.Com = 2;
  s.Jbus = 17.0f;
  s.Language = 1;
  s.Bauds = 3;
  s.Unit = 6;
  s.FSp1 = -2;
  s.FSp2 = 1000;
  s.T0Sp1 = 7;
  s.T0Sp2 = -32768;
  s.Device1 = "/dev/serial/by-id/usb-FTDI-if00";
  s.Device4 = "/dev/ttyS3";
  s.OpenFilesAsPlot = true;
  s.ReplyEnd = 1;
  s.probes = builtinProbeCatalogue();
  s.probes[3] = {"SP N°4", -1};
  s.probes[29] = {"Last", 42};

  MemorySettingsStore store;
  ASSERT_TRUE(saveSettings(store, s));
  // Every value is written, default or not: 18 top-level values + 2 x 30.
  EXPECT_EQ(store.values.size(), 18u + 60u);
  EXPECT_EQ(store.values.at({"", "ReplyEnd"}), MemorySettingsStore::Value(std::string("length")));
  EXPECT_EQ(store.values.at({"", "Device2"}), MemorySettingsStore::Value(std::string()));
  EXPECT_EQ(store.values.at({"Probe", "25"}), MemorySettingsStore::Value(std::string()));

  AppSettings t;
  EXPECT_FALSE(loadSettings(store, t, fakeEnv({})).firstRun);
  EXPECT_EQ(t.LastPathName, s.LastPathName);
  EXPECT_TRUE(t.OpenFilesAsPlot);
  EXPECT_EQ(t.replyEndRule(), ReplyEndRule::kLength);
  EXPECT_EQ(t.LastFileSpName, s.LastFileSpName);
  EXPECT_EQ(t.LastPathPrnFileName, s.LastPathPrnFileName);
  EXPECT_EQ(t.Com, 2);
  EXPECT_EQ(t.Jbus, 17.0f);
  EXPECT_EQ(t.Language, 1);
  EXPECT_EQ(t.Bauds, 3);
  EXPECT_EQ(t.Unit, 6);
  EXPECT_EQ(t.FSp1, -2);
  EXPECT_EQ(t.FSp2, 1000);
  EXPECT_EQ(t.T0Sp1, 7);
  EXPECT_EQ(t.T0Sp2, -32768);
  EXPECT_EQ(t.devices(), s.devices());
  EXPECT_EQ(t.probes, s.probes);
}

TEST(Settings, LongTextsAreReadWhole) {
  for (std::size_t length : {127u, 128u, 300u, 5000u}) {
    SCOPED_TRACE(length);
    const std::string path = "/" + std::string(length - 2, 'd') + "/";
    MemorySettingsStore store;
    store.values[{"", "LastPathName"}] = path;
    store.values[{"", "Device1"}] = path;
    store.values[{"Probe", "0"}] = std::string(length, 'p');
    AppSettings s;
    loadSettings(store, s, fakeEnv({}));
    EXPECT_EQ(s.LastPathName, path);
    EXPECT_EQ(s.Device1, path);
    EXPECT_EQ(s.probes[0].name.size(), length);
  }
}

TEST(Settings, ValuesOfTheWrongTypeGiveTheDefaults) {
  MemorySettingsStore store;
  store.values[{"", "LastPathName"}] = 5;
  store.values[{"", "Bauds"}] = std::string("9600");
  store.values[{"", "Jbus"}] = std::string("12");
  store.values[{"Probe", "1"}] = std::string("P");
  store.values[{"Angle", "1"}] = std::string("6022");
  store.values[{"", "ReplyEnd"}] = std::string("fast");
  AppSettings s;
  s.ReplyEnd = 1;
  loadSettings(store, s, fakeEnv({}));
  EXPECT_EQ(s.replyEndRule(), ReplyEndRule::kSilence);
  EXPECT_EQ(s.LastPathName, "");
  EXPECT_EQ(s.Bauds, 5);
  EXPECT_EQ(s.Jbus, 1.0f);
  EXPECT_EQ(s.probes[1], (ProbeEntry{"P", 0}));
}

TEST(SaveSettings, ReportsAStoreThatCouldNotBeWritten) {
  MemorySettingsStore store;
  store.failWrites = true;
  EXPECT_FALSE(saveSettings(store, AppSettings{}));
}

TEST(AppSettings, DeviceFieldsByPortIndex) {
  AppSettings s;
  for (int i = 0; i < kPortCount; ++i) *s.deviceSetting(i) = "/dev/d" + std::to_string(i);
  EXPECT_EQ(s.Device1, "/dev/d0");
  EXPECT_EQ(s.Device4, "/dev/d3");
  EXPECT_EQ(s.devices()[2], "/dev/d2");
  EXPECT_EQ(s.deviceSetting(-1), nullptr);
  EXPECT_EQ(s.deviceSetting(4), nullptr);
}

TEST(ProgramPaths, FolderAndApplicationName) {
  const struct {
    const char* exe;
    const char* folder;
    const char* name;
  } cases[] = {
      {"/usr/bin/flowdesk", "/usr/bin/", "flowdesk"},
      {"/opt/fd/flowdesk.bin", "/opt/fd/", "flowdesk"},
      {"/opt/v1.2/flowdesk", "/opt/v1.2/", "flowdesk"},
      {"/home/u/.flowdesk", "/home/u/", ".flowdesk"},
      {"flowdesk", "", "flowdesk"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(programDirectoryOf(c.exe), c.folder) << c.exe;
    EXPECT_EQ(applicationNameOf(c.exe), c.name) << c.exe;
  }
  const std::string self = executablePath();
  EXPECT_EQ(applicationNameOf(self), "tests_base");
  EXPECT_TRUE(fs::is_directory(programDirectoryOf(self)));
}

}  // namespace
}  // namespace flowdesk
