// SPDX-License-Identifier: GPL-3.0-or-later
// Which label a test gets follows from its file's name alone
// (tests/CMakeLists.txt): the *EndToEndTest.cpp files are e2e, the rest core
// or gui. The sanitizer pass runs core and gui only: a test among them that
// starts a program or waits on the real clock would bring real timings into
// a slowed-down build, and an end-to-end file that does neither would escape
// the sanitizers. So the name has to tell the truth, both ways.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Whether a test's text starts a program (the helpers that run flowdesk-unit
// and flowdesk-cli, the GUI's own unit starter, the programs' paths, or a
// process started by hand) or waits on the real clock (the real Clock, the
// standard library's, a sleep).
bool endToEnd(const std::string& text) {
  static const std::regex marker(
      R"(\b(UnitProcess|VirtualUnitProcess|CliRun|runProgram|runToEnd|QProcess)\b)"
      R"(|\bFLOWDESK_[A-Z_]*BIN\b|\b(exec[lv]p?e?|posix_spawnp?|startDetached)\s*\()"
      R"(|\b(SteadyClock|steady_clock|sleep_for|sleep_until|usleep|nanosleep)\b)");
  return std::regex_search(text, marker);
}

bool namedEndToEnd(const fs::path& file) {
  return file.filename().string().ends_with("EndToEndTest.cpp");
}

TEST(TestLabels, SeesEveryWayATestStartsAProgramOrWaitsOnTheRealClock) {
  const struct {
    const char* text;
    bool starts;
  } cases[] = {
      {"testing::UnitProcess unit({\"--baud\", \"9600\"});", true},
      {"UnitProcess unit({});", true},
      {"VirtualUnitProcess unit;", true},
      {"testing::CliRun run;", true},
      {"runProgram(program, {}, {}, dir)", true},
      {"const Finished f = runToEnd({\"--help\"});", true},
      {"QProcess process;", true},
      {"std::string program = FLOWDESK_BIN;", true},
      {"QFile::link(QStringLiteral(FLOWDESK_UNIT_BIN), to)", true},
      {"::execve(program.c_str(), argv.data(), envp.data());", true},
      {"execl (path, path, nullptr);", true},
      {"testing::MemoryUnitRig rig;", false},
      {"runWithFileSizeLimit(100, [] { return 0; });", false},
      {"unit::VirtualUnit unit(settings);", false},
      {"the executable's folder", false},
      {"setProgramStarter(fake);", false},
      {"SteadyClock clock;", true},
      {"const auto start = std::chrono::steady_clock::now();", true},
      {"std::this_thread::sleep_for(std::chrono::milliseconds(20));", true},
      {"::usleep(1000);", true},
      {"ManualClock clock(1000);", false},
      {"AppContext context(systemClock(), image);", false},
  };
  for (const auto& c : cases) EXPECT_EQ(endToEnd(c.text), c.starts) << c.text;
}

TEST(TestLabels, ATestFileLeavesTheProcessOrItsClockExactlyWhenItIsNamedEndToEnd) {
  const fs::path tests = fs::path(FLOWDESK_SOURCE_DIR) / "tests";
  std::vector<std::string> wrong;
  int endToEndFiles = 0;
  for (const auto& folder : fs::directory_iterator(tests)) {
    // Not the helpers, nor this folder, whose checks quote the markers.
    const fs::path name = folder.path().filename();
    if (!folder.is_directory() || name == "support" || name == "layers") continue;
    // The files the test binaries are built from: a folder and its qt/.
    for (const fs::path& dir : {folder.path(), folder.path() / "qt"}) {
      if (!fs::is_directory(dir)) continue;
      for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().extension() != ".cpp") continue;
        std::ifstream in(entry.path());
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        const bool starts = endToEnd(text);
        const bool named = namedEndToEnd(entry.path());
        endToEndFiles += named;
        if (starts != named) {
          wrong.push_back(
              fs::relative(entry.path(), tests).generic_string() +
              (starts ? " starts a program or waits on the real clock: name it *EndToEndTest.cpp"
                      : " starts no program and waits on no real clock: drop EndToEnd from its "
                        "name"));
        }
      }
    }
  }
  EXPECT_GT(endToEndFiles, 0);
  std::string report;
  for (const std::string& w : wrong) report += "\n  " + w;
  EXPECT_TRUE(wrong.empty()) << report;
}

}  // namespace
