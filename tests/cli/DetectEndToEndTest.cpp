// SPDX-License-Identifier: GPL-3.0-or-later
// `flowdesk-cli detect` against flowdesk-unit on its own pseudo-terminal. The
// ports are mapped to devices through the settings file, as an operator would
// map them, so the scan runs exactly as in use.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "base/BilingualText.h"
#include "base/Bytes.h"
#include "link/ConnectionSession.h"
#include "link/SerialDevices.h"
#include "support/Processes.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::countLines;
using testing::Finished;
using testing::runProgram;
using testing::TempDir;
using testing::UnitProcess;

struct DetectRun {
  TempDir dir;

  std::string settingsPath() const { return dir.file("config/flowdesk/flowdesk.ini"); }

  void writeSettings(const std::string& text) const {
    std::filesystem::create_directories(dir.file("config/flowdesk"));
    testing::putFile(settingsPath(), Bytes(text.begin(), text.end()));
  }

  Finished cli(std::vector<std::string> args) const {
    return runProgram(FLOWDESK_CLI_BIN, std::move(args),
                      {{"XDG_CONFIG_HOME", dir.file("config")},
                       {"XDG_DATA_HOME", dir.file("data")},
                       {"HOME", dir.path()}},
                      dir.path());
  }
};

// Com1: no such device; Com2: the unit (address 7, 9600 baud); Com3: never
// reached. Com1 fails at once at each rate, Com2 stays silent at the five
// slower rates (three attempts each) and answers at 9600.
TEST(DetectEndToEnd, FindsTheUnitOnCom2At9600AfterEverythingBefore) {
  DetectRun run;
  const std::string link = run.dir.file("unit");
  UnitProcess unit({"--link", link, "--address", "7"});
  ASSERT_FALSE(unit.device().empty());
  run.writeSettings("[General]\nDevice1=" + run.dir.file("missing") + "\nDevice2=" + link +
                    "\nDevice3=/dev/null\nCom=3\nJbus=12\nBauds=0\n\n[Probe]\n0=Mine\n");
  const Finished f = run.cli({"--trace", "detect"});
  ASSERT_EQ(f.status, 0) << f.err;
  EXPECT_EQ(f.out, "Com2 9600 7 " + link + "\n");
  // Every request of the scan went to address 0, register 0x2202: fifteen
  // unanswered ones on Com2 (the missing Com1 sends nothing), then the one
  // the unit answered.
  EXPECT_EQ(countLines(f.err, "TX"), 16) << f.err;
  EXPECT_EQ(countLines(f.err, "00 03 22 02 00 01 2E 63"), 16) << f.err;
  // What was found is kept, as the Connect button keeps it.
  const std::string saved = testing::wholeFile(run.settingsPath());
  EXPECT_NE(saved.find("\nCom=1\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("\nJbus=7\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("\nBauds=5\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("0=Mine\n"), std::string::npos) << saved;
  // The next run uses it: a read of the catalogue at the found address.
  EXPECT_EQ(unit.terminate(), 0);
}

TEST(DetectEndToEnd, AUnitOnCom4IsNeverFound) {
  DetectRun run;
  const std::string link = run.dir.file("unit");
  UnitProcess unit({"--link", link, "--address", "9"});
  ASSERT_FALSE(unit.device().empty());
  const std::string settings = "[General]\nDevice1=" + run.dir.file("none1") +
                               "\nDevice2=" + run.dir.file("none2") +
                               "\nDevice3=" + run.dir.file("none3") + "\nDevice4=" + link +
                               "\nCom=3\nJbus=9\n\n[Probe]\n0=Mine\n";
  run.writeSettings(settings);
  Finished f = run.cli({"--lang", "en", "--trace", "detect"});
  EXPECT_EQ(f.status, 3) << "no device at all";
  EXPECT_TRUE(f.out.empty());
  EXPECT_EQ(countLines(f.err, "TX"), 0) << "no port was opened";
  // The connection page's report on one line: each missing device, and the
  // devices this machine does have.
  ConnectionOutcome missing;
  for (int port = 0; port < 3; ++port) {
    PortFailure f;
    f.portIndex = port;
    f.reason = PortFailure::Reason::kMissing;
    f.device = run.dir.file("none" + std::to_string(port + 1));
    missing.failures.push_back(f);
  }
  missing.presentDevices = findSerialDevices();
  const std::string english = reportLine(connectionReportText(missing, kEnglish));
  EXPECT_EQ(english.rfind("Connect Failure: Com1: " + run.dir.file("none1") +
                              " does not exist (adapter unplugged?); Com2: ",
                          0),
            0u)
      << english;
  EXPECT_EQ(countLines(f.err, "flowdesk-cli: " + english), 1) << f.err;
  // A failed detection changes nothing.
  EXPECT_EQ(testing::wholeFile(run.settingsPath()), settings);

  f = run.cli({"--lang", "fr", "detect"});
  EXPECT_EQ(f.status, 3);
  EXPECT_EQ(f.err, "flowdesk-cli: " + reportLine(connectionReportText(missing, kFrench)) + "\n");

  // Choosing Com4 by hand works.
  f = run.cli({"--port", "4", "--device", link, "detect"});
  EXPECT_EQ(f.status, 0) << f.err;
  EXPECT_EQ(f.out, "Com4 9600 9 " + link + "\n");
}

TEST(DetectEndToEnd, OneDeviceAtSixRates) {
  DetectRun run;
  const std::string link = run.dir.file("unit");
  UnitProcess unit({"--link", link, "--address", "21", "--baud", "1200"});
  ASSERT_FALSE(unit.device().empty());
  const Finished f = run.cli({"--device", link, "--port", "3", "--trace", "detect"});
  ASSERT_EQ(f.status, 0) << f.err;
  EXPECT_EQ(f.out, "Com3 1200 21 " + link + "\n");
  EXPECT_EQ(countLines(f.err, "TX"), 7) << "300 and 600 baud: three attempts each";
  // A device given for one run is not saved, nor what was found on it.
  EXPECT_FALSE(std::filesystem::exists(run.settingsPath()));
}

// A two-wire adapter that hands back every request: the unit echoes each
// one before its reply. The scan still finds it, and says the adapter echoes.
TEST(DetectEndToEnd, AnAdapterThatEchoesIsSkippedAndNamed) {
  DetectRun run;
  const std::string link = run.dir.file("unit");
  UnitProcess unit({"--link", link, "--address", "5", "--baud", "300", "--echo-requests"});
  ASSERT_FALSE(unit.device().empty());
  const Finished f = run.cli({"--lang", "en", "--device", link, "--trace", "detect"});
  ASSERT_EQ(f.status, 0) << f.err;
  EXPECT_EQ(f.out, "Com1 300 5 " + link + "\n");
  EXPECT_EQ(countLines(f.err, "TX"), 1) << f.err;
  EXPECT_EQ(countLines(f.err, "-- the adapter echoes what it sends"), 1) << f.err;
  EXPECT_EQ(
      countLines(f.err, "flowdesk-cli: The adapter echoes what it sends: its echo is skipped."), 1)
      << f.err;
}

}  // namespace
}  // namespace flowdesk
