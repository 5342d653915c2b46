// SPDX-License-Identifier: GPL-3.0-or-later
// Every source file names its licence on one SPDX line, where the house
// style puts it: first in C++ and CMake files, right after the `#!` line in
// scripts. scripts/spdx.sh adds the line; this test finds a file without it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string kIdentifier = "SPDX-License-Identifier: GPL-3.0-or-later";

// The files that hold code, by their names (the same as scripts/spdx.sh).
bool isCpp(const std::string& name) {
  for (const char* end : {".cpp", ".h", ".inc", ".h.in"}) {
    if (name.ends_with(end)) return true;
  }
  return false;
}

bool isScriptOrCMake(const std::string& name) {
  return name == "CMakeLists.txt" || name.ends_with(".cmake") || name.ends_with(".sh") ||
         name.ends_with(".py");
}

// Empty when the text carries the line in its place, else what is wrong.
std::string licenceLineProblem(const std::string& name, const std::string& text) {
  const std::string line = (isCpp(name) ? "// " : "# ") + kIdentifier;
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (lines.size() < 2 && start < text.size()) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  const std::size_t at = !lines.empty() && lines[0].starts_with("#!") ? 1 : 0;
  if (lines.size() > 1 && lines[1].starts_with("#!")) return "the #! line must come first";
  if (lines.size() > at && lines[at] == line) return {};
  return "no \"" + line + "\" on line " + std::to_string(at + 1);
}

TEST(LicenceLines, TheLineMustStandInItsPlace) {
  const std::string cpp = "// " + kIdentifier + "\n";
  const std::string hash = "# " + kIdentifier + "\n";
  const struct {
    const char* name;
    std::string text;
    bool good;
  } cases[] = {
      {"A.cpp", cpp + "// What the file does.\n", true},
      {"A.h", cpp + "#pragma once\n", true},
      {"A.h", "#pragma once\n" + cpp, false},  // after the guard
      {"A.cpp", "// What the file does.\n" + cpp, false},
      {"A.cpp", hash, false},  // a script's comment
      {"A.cpp", "// SPDX-License-Identifier: MIT\n", false},
      {"run.sh", "#!/usr/bin/env bash\n" + hash + "set -e\n", true},
      {"run.sh", hash + "#!/usr/bin/env bash\n", false},  // the #! must come first
      {"make.py", "#!/usr/bin/env python3\n" + hash, true},
      {"CMakeLists.txt", hash + "add_subdirectory(src)\n", true},
      {"X.cmake", "include(CPack)\n", false},
      {"A.cpp", "", false},
      {"A.cpp", cpp.substr(0, cpp.size() - 1), true},  // no newline at the end
  };
  for (const auto& c : cases) {
    EXPECT_EQ(licenceLineProblem(c.name, c.text).empty(), c.good) << c.name << ":\n" << c.text;
  }
}

TEST(LicenceLines, EverySourceFileCarriesIt) {
  const fs::path root(FLOWDESK_SOURCE_DIR);
  std::vector<fs::path> files = {root / "CMakeLists.txt", root / ".ci" / "run"};
  for (const char* folder : {"src", "tests", "bench", "fuzz", "cmake", "scripts"}) {
    for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
      const std::string name = entry.path().filename().string();
      if (entry.is_regular_file() && (isCpp(name) || isScriptOrCMake(name))) {
        files.push_back(entry.path());
      }
    }
  }
  ASSERT_GT(files.size(), 400u) << "the source folders were not found under " << root;
  for (const fs::path& file : files) {
    std::ifstream in(file);
    ASSERT_TRUE(in) << file;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string problem = licenceLineProblem(file.filename().string(), text);
    EXPECT_TRUE(problem.empty()) << fs::relative(file, root).string() << ": " << problem
                                 << " (scripts/spdx.sh adds it)";
  }
}

}  // namespace
