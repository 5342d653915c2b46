#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <fstream>
#include <memory>
#include <vector>

#include "base/BilingualText.h"
#include "link/ConnectionSession.h"
#include "link/MemorySerialDriver.h"
#include "link/SerialDevices.h"
#include "link/UnitOnLine.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using Reason = PortFailure::Reason;
using testing::answerAsUnit;

// What is behind one port: a unit at `unitBaud` (0: a silent line), or an
// open that fails with `status` and the system's `error`.
struct Line {
  long unitBaud = 0;
  int status = kPortOk;
  int error = 0;
};
constexpr Line kSilent{};
constexpr Line kUnit4800{4800};
constexpr Line kMissing{0, kPortNoDevice, ENOENT};
constexpr Line kRefused{0, kPortInUse, EACCES};
constexpr Line kBusy{0, kPortInUse, EBUSY};
constexpr Line kHeld{0, kPortInUse, 0};  // another flowdesk's lock
constexpr Line kNotATty{0, kPortNoDevice, ENOTTY};
constexpr Line kUnmapped{0, kPortInvalidId, 0};  // no device for the port

// The application's context on memory lines and a /dev of our own holding
// ttyUSB0 and ttyS0. Com1..Com3 are mapped to <dev>/com1..com3, which exist
// (so a refused one has a group to name) unless the line says "unmapped".
struct Bench {
  ManualClock clock;
  DeviceImage image{};
  AppContext context{clock, image};
  testing::TempDir dev;
  std::array<std::shared_ptr<MemoryLine>, kPortCount> lines;
  std::array<Line, kPortCount> behind{};

  explicit Bench(const std::array<Line, 3>& com) {
    for (const char* name : {"ttyUSB0", "ttyS0", "com1", "com2", "com3"}) {
      std::ofstream(dev.file(name)) << "";
    }
    for (int i = 0; i < kPortCount; ++i) {
      const auto n = static_cast<std::size_t>(i);
      lines[n] = std::make_shared<MemoryLine>(clock);
      if (i < 3) behind[n] = com[n];
      context.deviceOverride[n] = dev.file("com" + std::to_string(i + 1));
      if (behind[n].status == kPortInvalidId) {
        context.deviceOverride[n] = "";
        context.settings.deviceSetting(i)->clear();
      }
      lines[n]->openStatus = behind[n].status;
      if (behind[n].unitBaud != 0) answerAsUnit(*lines[n], behind[n].unitBaud, 0, 7);
    }
    context.master.setPortOpener([this](int index, long baud, char parity, int bits, int stops) {
      const auto n = static_cast<std::size_t>(index);
      SerialPort* port = openMemoryPort(lines[n], index, baud, parity, bits, stops);
      port->device = context.deviceOverride[n];
      if (port->status != kPortOk) port->systemError = behind[n].error;
      return port;
    });
    context.settings.Com = 3;
    context.settings.Bauds = 2;
    context.settings.Jbus = 12;
  }
};

TEST(ConnectionSession, TellsWhereTheUnitAnsweredOrWhyEachPortFailed) {
  const struct {
    const char* name;
    std::array<Line, 3> com;
    bool found;
    std::vector<Reason> failures;  // Com1, Com2, ... as tried
  } cases[] = {
      {"found on Com2 after a missing Com1",
       {kMissing, kUnit4800, kSilent},
       true,
       {Reason::kMissing}},
      {"no answer anywhere",
       {kSilent, kSilent, kSilent},
       false,
       {Reason::kNoAnswer, Reason::kNoAnswer, Reason::kNoAnswer}},
      {"missing devices",
       {kMissing, kMissing, kUnmapped},
       false,
       {Reason::kMissing, Reason::kMissing, Reason::kNoDevice}},
      {"permission and busy",
       {kRefused, kBusy, kHeld},
       false,
       {Reason::kPermission, Reason::kBusy, Reason::kBusy}},
      {"not a serial device",
       {kNotATty, kSilent, kSilent},
       false,
       {Reason::kUnusable, Reason::kNoAnswer, Reason::kNoAnswer}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b(c.com);
    ConnectionSession session(b.context, b.dev.path());
    int steps = 0;
    const ConnectionOutcome outcome = session.connect([&](int, int) { ++steps; });

    EXPECT_EQ(outcome.found, c.found);
    std::vector<Reason> reasons;
    for (const PortFailure& f : outcome.failures) reasons.push_back(f.reason);
    EXPECT_EQ(reasons, c.failures);
    AppSettings& s = b.context.settings;
    if (c.found) {
      EXPECT_EQ(outcome.portIndex, 1);
      EXPECT_EQ(outcome.baudIndex, 4);
      EXPECT_EQ(outcome.address, 7);
      EXPECT_EQ(outcome.device, b.dev.file("com2"));
      EXPECT_EQ(steps, 6 + 5);
      // the settings stay where the unit answered
      EXPECT_EQ(s.Com, 1);
      EXPECT_EQ(s.Bauds, 4);
      EXPECT_FLOAT_EQ(s.Jbus, 7);
    } else {
      EXPECT_EQ(steps, 18);
      EXPECT_EQ(s.Com, 3);
      EXPECT_EQ(s.Bauds, 2);
      EXPECT_FLOAT_EQ(s.Jbus, 12);
    }

    bool missing = false;
    for (std::size_t i = 0; i < outcome.failures.size(); ++i) {
      const PortFailure& f = outcome.failures[i];
      EXPECT_EQ(f.portIndex, static_cast<int>(i));
      const std::string device = b.context.deviceOverride[i];
      EXPECT_EQ(f.device, device);
      switch (f.reason) {
        case Reason::kNoAnswer:
          EXPECT_EQ(f.baudIndexes, (std::vector<int>{0, 1, 2, 3, 4, 5}));
          break;
        case Reason::kPermission:
          EXPECT_EQ(f.group, checkDeviceAccess(device).group);
          EXPECT_FALSE(f.group.empty());
          EXPECT_EQ(f.fixCommand, groupAccessCommand(f.group));
          break;
        case Reason::kUnusable:
          EXPECT_EQ(f.status, kPortNoDevice);
          break;
        case Reason::kMissing:
        case Reason::kNoDevice:
          missing = true;
          break;
        case Reason::kBusy:
          break;
      }
    }
    // what exists is listed only when a device was missing
    EXPECT_EQ(outcome.presentDevices,
              missing ? (std::vector<std::string>{b.dev.file("ttyUSB0"), b.dev.file("ttyS0")})
                      : std::vector<std::string>{});
  }
}

TEST(ConnectionSession, DeviceAndProgramChoices) {
  Bench b({kSilent, kSilent, kSilent});
  AppSettings& s = b.context.settings;
  ConnectionSession session(b.context, b.dev.path());
  s.Com = 9;  // beyond the list: the page shows Com1
  EXPECT_EQ(session.port(), 0);
  // this run's device comes first when it is not one of the devices found
  DeviceChoices choices = session.deviceChoices();
  EXPECT_EQ(choices.current, b.dev.file("com1"));
  EXPECT_EQ(choices.items, (std::vector<std::string>{b.dev.file("com1"), b.dev.file("ttyUSB0"),
                                                     b.dev.file("ttyS0")}));

  EXPECT_FALSE(session.chooseDevice(b.dev.file("com1")));
  EXPECT_TRUE(session.chooseDevice(b.dev.file("ttyS0")));
  EXPECT_EQ(s.Device1, b.dev.file("ttyS0"));
  EXPECT_TRUE(b.context.deviceOverride[0].empty());
  choices = session.deviceChoices();
  EXPECT_EQ(choices.items, (std::vector<std::string>{b.dev.file("ttyUSB0"), b.dev.file("ttyS0")}));
  EXPECT_EQ(choices.current, b.dev.file("ttyS0"));

  EXPECT_EQ(session.spreadsheetFolder(), "/usr/bin/");
  session.chooseSpreadsheet("/opt/calc/gnumeric");
  EXPECT_EQ(s.LastFileSpName, "/opt/calc/gnumeric");
  EXPECT_EQ(session.spreadsheetFolder(), "/opt/calc/");
}

// The texts of every kind of outcome, in both languages, as the page's
// message box shows them.
TEST(ConnectionReport, EveryOutcomeInBothLanguages) {
  const auto failure = [](int port, Reason reason, std::string device) {
    PortFailure f;
    f.portIndex = port;
    f.reason = reason;
    f.device = std::move(device);
    return f;
  };
  ConnectionOutcome found;
  found.found = true;
  found.failures = {failure(0, Reason::kMissing, "/dev/ttyUSB0")};  // not told on success

  ConnectionOutcome silent;
  silent.failures = {failure(0, Reason::kNoAnswer, "/dev/ttyUSB0"),
                     failure(1, Reason::kNoAnswer, "/dev/ttyS0")};
  silent.failures[0].baudIndexes = {0, 1, 2, 3, 4, 5};
  silent.failures[1].baudIndexes = {5};

  ConnectionOutcome missing;
  missing.failures = {failure(0, Reason::kMissing, "/dev/ttyUSB1"),
                      failure(3, Reason::kNoDevice, "")};
  missing.presentDevices = {"/dev/ttyUSB0", "/dev/ttyS0"};
  ConnectionOutcome nothingThere = missing;
  nothingThere.presentDevices.clear();

  ConnectionOutcome refused;
  refused.failures = {failure(1, Reason::kPermission, "/dev/ttyUSB0"),
                      failure(2, Reason::kBusy, "/dev/ttyACM0"),
                      failure(0, Reason::kUnusable, "/dev/null")};
  refused.failures[0].group = "dialout";
  refused.failures[0].fixCommand = "sudo usermod -aG dialout $USER";
  refused.failures[2].status = -14;

  const struct {
    const ConnectionOutcome* outcome;
    int language;
    const char* text;
  } cases[] = {
      {&found, kFrench, "La détection à reussi"},
      {&found, kEnglish, "Connect successfull"},
      {&silent, kFrench,
       "La détection à échouée\n\n"
       "Com1 : aucune unité n'a répondu sur /dev/ttyUSB0 de 300 à 9600 bauds.\n\n"
       "Com2 : aucune unité n'a répondu sur /dev/ttyS0 à 9600 bauds."},
      {&silent, kEnglish,
       "Connect Failure\n\n"
       "Com1: no unit answered on /dev/ttyUSB0 at 300 to 9600 baud.\n\n"
       "Com2: no unit answered on /dev/ttyS0 at 9600 baud."},
      {&missing, kFrench,
       "La détection à échouée\n\n"
       "Com1 : /dev/ttyUSB1 n'existe pas (adaptateur débranché ?).\n\n"
       "Com4 : aucun périphérique série n'est associé à ce port.\n\n"
       "Périphériques série présents : /dev/ttyUSB0, /dev/ttyS0."},
      {&missing, kEnglish,
       "Connect Failure\n\n"
       "Com1: /dev/ttyUSB1 does not exist (adapter unplugged?).\n\n"
       "Com4: no serial device is mapped to this port.\n\n"
       "Serial devices present: /dev/ttyUSB0, /dev/ttyS0."},
      {&nothingThere, kFrench,
       "La détection à échouée\n\n"
       "Com1 : /dev/ttyUSB1 n'existe pas (adaptateur débranché ?).\n\n"
       "Com4 : aucun périphérique série n'est associé à ce port.\n\n"
       "Aucun périphérique série n'est présent."},
      {&nothingThere, kEnglish,
       "Connect Failure\n\n"
       "Com1: /dev/ttyUSB1 does not exist (adapter unplugged?).\n\n"
       "Com4: no serial device is mapped to this port.\n\n"
       "No serial device is present."},
      {&refused, kFrench,
       "La détection à échouée\n\n"
       "Com2 : Accès refusé à /dev/ttyUSB0 : ce périphérique appartient au groupe « dialout ».\n"
       "Pour y accéder, ajoutez votre compte à ce groupe :\n"
       "    sudo usermod -aG dialout $USER\n"
       "puis fermez la session et reconnectez-vous.\n\n"
       "Com3 : /dev/ttyACM0 est déjà utilisé par un autre programme.\n\n"
       "Com1 : /dev/null ne peut pas servir de port série (état -14)."},
      {&refused, kEnglish,
       "Connect Failure\n\n"
       "Com2: Access to /dev/ttyUSB0 was refused: the device belongs to the group \"dialout\".\n"
       "To get access, add your account to that group:\n"
       "    sudo usermod -aG dialout $USER\n"
       "then log out and log in again.\n\n"
       "Com3: /dev/ttyACM0 is in use by another program.\n\n"
       "Com1: /dev/null cannot be used as a serial port (status -14)."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(connectionReportText(*c.outcome, c.language), c.text);
  }
}

TEST(ConnectionReport, OneLineForATerminal) {
  const struct {
    const char* report;
    const char* line;
  } cases[] = {
      {"Connect successfull", "Connect successfull"},
      {"Connect Failure\n\nCom1: a.\n\nCom2: b\n  c\n    d.\n\nLast.",
       "Connect Failure: Com1: a; Com2: b c d; Last."},
      {"Head\n\n\n\nOnly one.\n", "Head: Only one."},
  };
  for (const auto& c : cases) EXPECT_EQ(reportLine(c.report), c.line) << c.report;
}

TEST(ConnectionReport, DeviceAccessBeforeAnyOpen) {
  testing::TempDir dir;
  const std::string device = dir.file("ttyUSB0");
  std::ofstream(device) << "";
  EXPECT_EQ(deviceAccessText(device, kEnglish), "");  // a file we may read and write
  EXPECT_EQ(deviceAccessText("", kEnglish), "");
  EXPECT_EQ(deviceAccessText(dir.file("ttyUSB9"), kEnglish),
            dir.file("ttyUSB9") + " does not exist (adapter unplugged?).");
  if (::geteuid() != 0) {  // root may open anything
    ::chmod(device.c_str(), 0);
    const std::string text = deviceAccessText(device, kFrench);
    EXPECT_EQ(text.rfind("Accès refusé à " + device + " : ", 0), 0u) << text;
    EXPECT_NE(text.find(groupAccessCommand(checkDeviceAccess(device).group)), std::string::npos)
        << text;
  }
}

}  // namespace
}  // namespace flowdesk
