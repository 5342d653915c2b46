// SPDX-License-Identifier: GPL-3.0-or-later
// Every #include of src/, tests/, bench/ and fuzz/ against the layer table: a
// folder may include its own files and those of the folders it uses, nothing
// above it; Qt only in qt/ folders, and Qt Widgets not in qt/core/ (the
// command-line tool links those without a display). A test folder may also
// include the shared helpers of tests/support/ and the peers its binary
// links; the benchmarks and fuzz targets may include anything but the shell,
// and the test support. Nothing of src/ may include the test support: the
// programs never hold the in-memory line or the manual clock.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Table = std::map<std::string, std::set<std::string>>;

Table parseTable(const std::string& text) {
  Table table;
  std::stringstream rows(text);
  std::string row;
  while (std::getline(rows, row, '|')) {
    if (row.empty()) continue;
    const std::size_t eq = row.find('=');
    std::set<std::string>& uses = table[row.substr(0, eq)];
    std::stringstream names(row.substr(eq + 1));
    std::string name;
    while (std::getline(names, name, ',')) {
      if (!name.empty()) uses.insert(name);
    }
  }
  return table;
}

enum class Kind { Core, QtCore, Qt };

Kind kindOf(const std::string& path) {
  if (path.find("/qt/core/") != std::string::npos) return Kind::QtCore;
  if (path.find("/qt/") != std::string::npos) return Kind::Qt;
  return Kind::Core;
}

// What one file may include.
struct From {
  std::string folder;                         // its own folder, always allowed
  std::optional<std::set<std::string>> uses;  // the others; none: not in the table
  Kind kind = Kind::Core;
  bool programMain = false;    // a program's main.cpp, which goes into no library
  bool helpersBeside = false;  // includes its folder's helpers by their bare name
};

// A file of src/, `path` relative to src/.
From sourceFile(const Table& table, const std::string& path) {
  From f;
  f.folder = path.substr(0, path.find('/'));
  if (const auto row = table.find(f.folder); row != table.end()) f.uses = row->second;
  f.kind = kindOf("/" + path);
  f.programMain = path.ends_with("/main.cpp");
  return f;
}

// A file of tests/, `path` relative to tests/. A test binary links its layer
// (and so what the layer uses) and the peers listed for it, so its files may
// include those; every test may use the shared helpers. The helpers
// themselves are about bytes, frames and the link, and are included by Core
// and Qt tests alike.
From testFile(const Table& table, const Table& peers, const std::string& path) {
  From f;
  f.folder = path.substr(0, path.find('/'));
  f.helpersBeside = true;
  if (f.folder == "support") {
    f.uses = std::set<std::string>{"base", "link"};
    f.kind = Kind::Qt;
    return f;
  }
  f.kind = kindOf("/" + path);
  std::set<std::string> uses{"support"};
  if (const auto row = table.find(f.folder); row != table.end()) {
    uses.insert(row->second.begin(), row->second.end());
  }
  const std::string binary = f.folder + (f.kind == Kind::Core ? "" : "_qt");
  if (const auto row = peers.find(binary); row != peers.end()) {
    uses.insert(row->second.begin(), row->second.end());
  }
  f.uses = uses;
  return f;
}

// The benchmark that times the main window opening measures the shell
// itself; every other benchmark, and every fuzz target, stays below it, as a
// test does.
const std::set<std::string> kShellBenchmarks{"main_window_open.cpp"};

// A file of bench/ or fuzz/ (`folder`), `path` relative to that folder.
From toolFile(const Table& table, const std::string& folder, const std::string& path) {
  From f;
  f.folder = folder;
  f.kind = Kind::Qt;
  f.helpersBeside = true;
  f.uses = std::set<std::string>{"support"};
  const bool shell = folder == "bench" && kShellBenchmarks.count(path) != 0;
  for (const auto& [layer, uses] : table) {
    if (layer != "app" || shell) f.uses->insert(layer);
  }
  return f;
}

// What is wrong with one include line of a file, or "" when it is allowed.
std::string judge(const From& from, const std::string& target, bool angled) {
  if (angled) {
    const bool qt = std::regex_search(target, std::regex("^Q[A-Za-z]"));
    if (qt && from.kind == Kind::Core) return "Qt outside a qt/ folder";
    return "";
  }
  const std::size_t slash = target.find('/');
  if (slash == std::string::npos) {
    if (target.rfind("ui_", 0) == 0 && from.kind == Kind::Qt) return "";
    if (from.helpersBeside) return "";
    return "an include without its folder";
  }
  const std::string used = target.substr(0, slash);
  if (used != from.folder) {
    if (!from.uses) return "a folder missing from the layer table";
    if (from.uses->count(used) == 0) return from.folder + " may not use " + used;
  }
  const Kind to = kindOf("/" + target);
  // A program's main.cpp may hand Qt services to the core it runs:
  // flowdesk-cli links the qt/core kind, and its own layer's Widgets kind
  // for the plots where the build has it.
  if (from.kind == Kind::Core && from.programMain &&
      (to == Kind::QtCore || (to == Kind::Qt && used == from.folder))) {
    return "";
  }
  if (from.kind == Kind::Core && to != Kind::Core) return "core including a Qt file";
  if (from.kind == Kind::QtCore && to == Kind::Qt) return "qt/core including a Widgets file";
  return "";
}

// Every include of the .h and .cpp files under `root` that `rules` (given a
// path relative to root) refuses, as "path:line: target (why)" with the path
// relative to the source tree.
std::vector<std::string> violations(const fs::path& root,
                                    const std::function<From(const std::string&)>& rules) {
  static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
    const std::string path = fs::relative(entry.path(), root).generic_string();
    const From from = rules(path);
    std::ifstream in(entry.path());
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
      ++number;
      std::smatch m;
      if (!std::regex_search(line, m, include)) continue;
      const std::string why = judge(from, m[2], m[1] == "<");
      if (!why.empty()) {
        found.push_back(root.filename().string() + "/" + path + ":" + std::to_string(number) +
                        ": " + m[2].str() + " (" + why + ")");
      }
    }
  }
  return found;
}

std::string report(const std::vector<std::string>& found) {
  std::string text = std::to_string(found.size()) + " include(s) against the layers:";
  for (const std::string& v : found) text += "\n  " + v;
  return text;
}

bool hasCycle(const Table& table, const std::string& layer, std::set<std::string>& onPath,
              std::set<std::string>& done) {
  if (done.count(layer)) return false;
  if (!onPath.insert(layer).second) return true;
  const auto row = table.find(layer);
  if (row != table.end()) {
    for (const std::string& used : row->second) {
      if (hasCycle(table, used, onPath, done)) return true;
    }
  }
  onPath.erase(layer);
  done.insert(layer);
  return false;
}

TEST(IncludeLayers, TheTableGoesDownOnly) {
  const Table table = parseTable(FLOWDESK_LAYER_TABLE);
  ASSERT_FALSE(table.empty());
  std::set<std::string> done;
  for (const auto& [layer, uses] : table) {
    std::set<std::string> onPath;
    EXPECT_FALSE(hasCycle(table, layer, onPath, done)) << layer;
  }
  // Nothing may include the shell.
  for (const auto& [layer, uses] : table) EXPECT_EQ(uses.count("app"), 0u) << layer;
}

TEST(IncludeLayers, EveryIncludeOfTheSourcesFollowsTheTable) {
  const Table table = parseTable(FLOWDESK_LAYER_TABLE);
  const std::vector<std::string> found =
      violations(fs::path(FLOWDESK_SOURCE_DIR) / "src",
                 [&](const std::string& path) { return sourceFile(table, path); });
  EXPECT_TRUE(found.empty()) << report(found);
}

TEST(IncludeLayers, EveryIncludeOfTheTestsBenchmarksAndFuzzTargetsFollowsTheTable) {
  const Table table = parseTable(FLOWDESK_LAYER_TABLE);
  const Table peers = parseTable(FLOWDESK_TEST_PEERS);
  const fs::path root(FLOWDESK_SOURCE_DIR);
  std::vector<std::string> found = violations(
      root / "tests", [&](const std::string& path) { return testFile(table, peers, path); });
  for (const char* tool : {"bench", "fuzz"}) {
    const std::vector<std::string> more = violations(
        root / tool, [&](const std::string& path) { return toolFile(table, tool, path); });
    found.insert(found.end(), more.begin(), more.end());
  }
  EXPECT_TRUE(found.empty()) << report(found);
}

// The judge itself, on the edges it must refuse and the ones it must let
// through, so that a table or rule fault cannot make the tests above pass
// vacuously.
TEST(IncludeLayers, JudgesEachKindOfEdge) {
  const Table table =
      parseTable("base=|link=base|files=base,link|app=base,link,files|cli=base,link|unit=base|");
  const Table peers = parseTable("cli=unit|files_qt=app|");
  enum Tree { Src, Tests, Bench, Fuzz };
  struct Case {
    Tree tree;
    const char* path;
    const char* target;
    bool angled;
    bool allowed;
  };
  const Case cases[] = {
      {Src, "link/JbusMaster.cpp", "base/Clock.h", false, true},
      {Src, "link/JbusMaster.cpp", "link/Crc16.h", false, true},
      {Src, "base/Texts.cpp", "link/Crc16.h", false, false},
      {Src, "files/X.cpp", "app/qt/MainWindow.h", false, false},
      {Src, "link/X.cpp", "files/FileKinds.h", false, false},
      {Src, "link/X.cpp", "QString", true, false},
      {Src, "link/X.cpp", "vector", true, true},
      {Src, "link/qt/X.cpp", "QString", true, true},
      {Src, "link/qt/X.cpp", "ui_X.h", false, true},
      {Src, "link/X.cpp", "ui_X.h", false, false},
      {Src, "link/X.cpp", "Crc16.h", false, false},
      {Src, "link/X.cpp", "base/qt/Bindings.h", false, false},
      {Src, "link/qt/core/X.cpp", "base/qt/Bindings.h", false, false},
      {Src, "link/qt/core/X.cpp", "base/qt/core/QtSettingsStore.h", false, true},
      {Src, "link/qt/X.cpp", "base/qt/core/QtSettingsStore.h", false, true},
      {Src, "link/main.cpp", "base/qt/core/QtSettingsStore.h", false, true},
      {Src, "link/main.cpp", "base/qt/Bindings.h", false, false},
      {Src, "link/main.cpp", "link/qt/X.h", false, true},
      {Src, "link/main.cpp", "QString", true, false},
      {Src, "link/X.cpp", "base/qt/core/QtSettingsStore.h", false, false},
      {Src, "echo/X.cpp", "base/Texts.h", false, false},  // not in the table
      {Src, "link/X.cpp", "support/MemorySerialDriver.h", false, false},
      {Src, "unit/main.cpp", "support/ManualClock.h", false, false},
      // A test folder: its layer, what that uses, the helpers, its peers.
      {Tests, "link/XTest.cpp", "link/JbusMaster.h", false, true},
      {Tests, "link/XTest.cpp", "base/Clock.h", false, true},
      {Tests, "link/XTest.cpp", "support/Frames.h", false, true},
      {Tests, "link/XTest.cpp", "files/FileKinds.h", false, false},
      {Tests, "link/XTest.cpp", "app/qt/MainWindow.h", false, false},
      {Tests, "link/XTest.cpp", "QString", true, false},
      {Tests, "link/XTest.cpp", "base/qt/Bindings.h", false, false},
      {Tests, "link/qt/XTest.cpp", "base/qt/Bindings.h", false, true},
      {Tests, "link/qt/XTest.cpp", "QString", true, true},
      {Tests, "link/UnitOnLine.h", "UnitFrames.h", false, true},
      {Tests, "cli/XTest.cpp", "unit/VirtualUnit.h", false, true},
      {Tests, "cli/qt/XTest.cpp", "unit/VirtualUnit.h", false, false},
      {Tests, "files/qt/XTest.cpp", "app/qt/MainWindow.h", false, true},
      {Tests, "files/XTest.cpp", "app/qt/MainWindow.h", false, false},
      {Tests, "unit/XTest.cpp", "link/Crc16.h", false, false},
      {Tests, "support/Frames.h", "link/Crc16.h", false, true},
      {Tests, "support/Fake.h", "base/qt/UserInterface.h", false, true},
      {Tests, "support/Fake.h", "files/FileKinds.h", false, false},
      {Tests, "layers/XTest.cpp", "base/Clock.h", false, false},
      {Tests, "layers/XTest.cpp", "support/Frames.h", false, true},
      // The benchmarks and fuzz targets: anything but the shell (unless
      // they time the shell), and the test support.
      {Bench, "convert.cpp", "files/FileKinds.h", false, true},
      {Bench, "convert.cpp", "unit/VirtualUnit.h", false, true},
      {Bench, "convert.cpp", "BenchSupport.h", false, true},
      {Bench, "convert.cpp", "support/ManualClock.h", false, true},
      {Bench, "screen.cpp", "QApplication", true, true},
      {Bench, "screen.cpp", "app/qt/VirtualUnitProcess.h", false, false},
      {Bench, "main_window_open.cpp", "app/qt/MainWindow.h", false, true},
      {Fuzz, "exchange.cpp", "support/MemorySerialDriver.h", false, true},
      {Fuzz, "exchange.cpp", "FuzzSupport.h", false, true},
      {Fuzz, "calibration_file.cpp", "cli/FileShow.h", false, true},
      {Fuzz, "main_window_open.cpp", "app/qt/MainWindow.h", false, false},
      {Fuzz, "exchange.cpp", "tests/support/Frames.h", false, false},
  };
  for (const Case& c : cases) {
    const From from = c.tree == Src     ? sourceFile(table, c.path)
                      : c.tree == Tests ? testFile(table, peers, c.path)
                      : c.tree == Bench ? toolFile(table, "bench", c.path)
                                        : toolFile(table, "fuzz", c.path);
    EXPECT_EQ(judge(from, c.target, c.angled).empty(), c.allowed)
        << c.tree << " " << c.path << " -> " << c.target;
  }
}

}  // namespace
