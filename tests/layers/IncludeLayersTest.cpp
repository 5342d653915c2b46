// Every #include of src/ against the layer table: a folder may include its
// own files and those of the folders it uses, nothing above it; Qt only in
// qt/ folders, and Qt Widgets not in qt/core/ (the command-line tool links
// those without a display).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
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

// What is wrong with one include line of the file at `path` (relative to
// src/, in `layer`), or "" when it is allowed.
std::string judge(const Table& table, const std::string& layer, const std::string& path,
                  const std::string& target, bool angled) {
  const Kind from = kindOf(path);
  if (angled) {
    const bool qt = std::regex_search(target, std::regex("^Q[A-Za-z]"));
    if (qt && from == Kind::Core) return "Qt outside a qt/ folder";
    return "";
  }
  const std::size_t slash = target.find('/');
  if (slash == std::string::npos) {
    if (target.rfind("ui_", 0) == 0 && from == Kind::Qt) return "";
    return "an include without its folder";
  }
  const std::string used = target.substr(0, slash);
  if (used != layer) {
    const auto row = table.find(layer);
    if (row == table.end()) return "a folder missing from the layer table";
    if (row->second.count(used) == 0) return layer + " may not use " + used;
  }
  const Kind to = kindOf("/" + target);
  // A program's main.cpp goes into no library: it may hand Qt Core services
  // to the core it runs (flowdesk-cli links the qt/core kind).
  const bool programMain = path.ends_with("/main.cpp");
  if (from == Kind::Core && to == Kind::QtCore && programMain) return "";
  if (from == Kind::Core && to != Kind::Core) return "core including a Qt file";
  if (from == Kind::QtCore && to == Kind::Qt) return "qt/core including a Widgets file";
  return "";
}

std::vector<std::string> violations(const Table& table, const fs::path& src) {
  static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(src)) {
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
    const std::string path = fs::relative(entry.path(), src).generic_string();
    const std::string layer = path.substr(0, path.find('/'));
    std::ifstream in(entry.path());
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
      ++number;
      std::smatch m;
      if (!std::regex_search(line, m, include)) continue;
      const std::string why = judge(table, layer, "/" + path, m[2], m[1] == "<");
      if (!why.empty()) {
        found.push_back(path + ":" + std::to_string(number) + ": " + m[2].str() + " (" + why + ")");
      }
    }
  }
  return found;
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
  const std::vector<std::string> found = violations(table, fs::path(FLOWDESK_SOURCE_DIR) / "src");
  std::string report;
  for (const std::string& v : found) report += "\n  " + v;
  EXPECT_TRUE(found.empty()) << found.size() << " include(s) against the layers:" << report;
}

// The judge itself, on the edges it must refuse and the ones it must let
// through, so that a table or rule fault cannot make the test above pass
// vacuously.
TEST(IncludeLayers, JudgesEachKindOfEdge) {
  const Table table = parseTable("base=|link=base|files=base,link|app=base,link,files|");
  struct Case {
    const char* layer;
    const char* path;
    const char* target;
    bool angled;
    bool allowed;
  };
  const Case cases[] = {
      {"link", "/link/JbusMaster.cpp", "base/Clock.h", false, true},
      {"link", "/link/JbusMaster.cpp", "link/Crc16.h", false, true},
      {"base", "/base/Texts.cpp", "link/Crc16.h", false, false},
      {"files", "/files/X.cpp", "app/qt/CMainDlg.h", false, false},
      {"link", "/link/X.cpp", "files/FileKinds.h", false, false},
      {"link", "/link/X.cpp", "QString", true, false},
      {"link", "/link/X.cpp", "vector", true, true},
      {"link", "/link/qt/X.cpp", "QString", true, true},
      {"link", "/link/qt/X.cpp", "ui_X.h", false, true},
      {"link", "/link/X.cpp", "ui_X.h", false, false},
      {"link", "/link/X.cpp", "Crc16.h", false, false},
      {"link", "/link/X.cpp", "base/qt/Bindings.h", false, false},
      {"link", "/link/qt/core/X.cpp", "base/qt/Bindings.h", false, false},
      {"link", "/link/qt/core/X.cpp", "base/qt/core/QtSettingsStore.h", false, true},
      {"link", "/link/qt/X.cpp", "base/qt/core/QtSettingsStore.h", false, true},
      {"link", "/link/main.cpp", "base/qt/core/QtSettingsStore.h", false, true},
      {"link", "/link/main.cpp", "base/qt/Bindings.h", false, false},
      {"link", "/link/main.cpp", "QString", true, false},
      {"link", "/link/X.cpp", "base/qt/core/QtSettingsStore.h", false, false},
      {"echo", "/echo/X.cpp", "base/Texts.h", false, false},  // not in the table
  };
  for (const Case& c : cases) {
    EXPECT_EQ(judge(table, c.layer, c.path, c.target, c.angled).empty(), c.allowed)
        << c.path << " -> " << c.target;
  }
}

}  // namespace
