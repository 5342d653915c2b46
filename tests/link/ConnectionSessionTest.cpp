// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "base/BilingualText.h"
#include "link/ConnectionSession.h"
#include "link/NetworkSerialDriver.h"
#include "link/PtyPeer.h"
#include "link/SerialDevices.h"
#include "link/UnitOnLine.h"
#include "support/ManualClock.h"
#include "support/MemorySerialDriver.h"
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
constexpr Line kBroken{0, kPortPlatformError, EIO};
constexpr Line kUnmapped{0, kPortInvalidId, 0};  // no device for the port

// The application's context on memory lines and a /dev of our own holding
// ttyUSB0 and ttyS0. Com1..Com3 are mapped to three pseudo-terminals, real
// terminal devices the doctor can look at (a refused one is owned so that no
// group may use it), unless the line says "unmapped".
struct Bench {
  ManualClock clock;
  DeviceImage image{};
  AppContext context{clock, image};
  testing::TempDir dev;
  std::array<testing::PtyPair, 3> ptys;
  std::array<std::shared_ptr<MemoryLine>, kPortCount> lines;
  std::array<Line, kPortCount> behind{};

  explicit Bench(const std::array<Line, 3>& com) {
    for (const char* name : {"ttyUSB0", "ttyS0"}) std::ofstream(dev.file(name)) << "";
    for (int i = 0; i < kPortCount; ++i) {
      const auto n = static_cast<std::size_t>(i);
      lines[n] = std::make_shared<MemoryLine>(clock);
      if (i < 3) {
        behind[n] = com[n];
        context.deviceOverride[n] = ptys[n].path();
        ::chmod(ptys[n].path().c_str(), 0600);
      }
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
      {"refused and busy",
       {kRefused, kBusy, kHeld},
       false,
       {Reason::kNoGroupAccess, Reason::kBusy, Reason::kBusy}},
      {"no terminal, no line",
       {kNotATty, kBroken, kSilent},
       false,
       {Reason::kNotSerial, Reason::kUnusable, Reason::kNoAnswer}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b(c.com);
    ConnectionSession session(b.context, b.dev.path());
    int steps = 0;
    const ConnectionOutcome outcome = session.connect([&](int, int) { ++steps; });

    EXPECT_EQ(outcome.found, c.found);
    EXPECT_FALSE(outcome.adapterEchoes);
    std::vector<Reason> reasons;
    for (const PortFailure& f : outcome.failures) reasons.push_back(f.reason);
    EXPECT_EQ(reasons, c.failures);
    AppSettings& s = b.context.settings;
    if (c.found) {
      EXPECT_EQ(outcome.portIndex, 1);
      EXPECT_EQ(outcome.baudIndex, 4);
      EXPECT_EQ(outcome.address, 7);
      EXPECT_EQ(outcome.device, b.ptys[1].path());
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
        case Reason::kNoGroupAccess:
          EXPECT_EQ(f.group, serialGroup());
          EXPECT_EQ(f.fixCommand, groupAccessCommand(f.group));
          EXPECT_EQ(f.mode, 0600u);
          EXPECT_EQ(f.udevRule, udevRuleFor("pts/" + device.substr(9), f.group));
          break;
        case Reason::kNotSerial:
          EXPECT_EQ(f.kind, DeviceKind::kNotATerminal);
          break;
        case Reason::kUnusable:
          EXPECT_EQ(f.status, kPortPlatformError);
          break;
        case Reason::kMissing:
        case Reason::kNoDevice:
          missing = true;
          break;
        case Reason::kPermission:
        case Reason::kUnplugged:
        case Reason::kBusy:
        case Reason::kBadAddress:
        case Reason::kHostNotFound:
        case Reason::kRefused:
        case Reason::kTimedOut:
        case Reason::kClosedByServer:
        case Reason::kNoComPortControl:
          break;
      }
    }
    // what exists is listed only when a device was missing
    EXPECT_EQ(outcome.presentDevices,
              missing ? (std::vector<std::string>{b.dev.file("ttyUSB0"), b.dev.file("ttyS0")})
                      : std::vector<std::string>{});
  }
}

// The reason an open failed, from the library's status, the errno and what
// the path holds now (looked up in a table here).
TEST(PortRefusal, ReasonFromStatusErrnoAndWhatThePathHolds) {
  const auto device = [](DeviceKind kind, unsigned mode, gid_t gid, const char* group) {
    DeviceAccess a;
    a.exists = kind != DeviceKind::kMissing;
    a.kind = kind;
    a.mode = mode;
    a.gid = gid;
    a.group = group;
    a.owner = "root";
    a.groupReadWrite = (mode & 060) == 060 && gid != 0;
    a.kernelName = "ttyUSB0";
    return a;
  };
  const std::map<std::string, DeviceAccess> paths = {
      {"/dev/ttyUSB0", device(DeviceKind::kSerial, 0660, 20, "dialout")},
      {"/dev/ttyUSB1", device(DeviceKind::kSerial, 0600, 0, "root")},
      {"/home/op/notes.txt", device(DeviceKind::kRegularFile, 0644, 100, "op")},
      {"/dev/null", device(DeviceKind::kNotATerminal, 0666, 0, "root")},
      {"/dev", device(DeviceKind::kDirectory, 0755, 0, "root")},
  };
  const DeviceLookup look = [&paths](const std::string& path) {
    const auto it = paths.find(path);
    return it == paths.end() ? DeviceAccess{} : it->second;
  };
  const struct {
    const char* name;
    int status;
    std::string device;
    int error;
    std::string openedBefore;
    Reason reason;
    std::string shown;  // the device the text names
    NetworkCause cause = NetworkCause::kNone;
  } cases[] = {
      {"nothing mapped", kPortInvalidId, "", 0, "", Reason::kNoDevice, ""},
      {"missing", kPortNoDevice, "/dev/ttyUSB7", ENOENT, "", Reason::kMissing, "/dev/ttyUSB7"},
      {"missing, another one opened before", kPortNoDevice, "/dev/ttyUSB7", ENOENT, "/dev/ttyUSB0",
       Reason::kMissing, "/dev/ttyUSB7"},
      {"gone since it opened", kPortNoDevice, "/dev/ttyUSB7", ENOENT, "/dev/ttyUSB7",
       Reason::kUnplugged, "/dev/ttyUSB7"},
      {"gone, and the mapping with it", kPortInvalidId, "", 0, "/dev/ttyUSB7", Reason::kUnplugged,
       "/dev/ttyUSB7"},
      {"no hardware behind the node", kPortNoDevice, "/dev/ttyUSB0", ENXIO, "", Reason::kMissing,
       "/dev/ttyUSB0"},
      {"the group may use it", kPortInUse, "/dev/ttyUSB0", EACCES, "", Reason::kPermission,
       "/dev/ttyUSB0"},
      {"nobody but root may", kPortInUse, "/dev/ttyUSB1", EACCES, "", Reason::kNoGroupAccess,
       "/dev/ttyUSB1"},
      {"a plain file", kPortNoDevice, "/home/op/notes.txt", ENOTTY, "", Reason::kNotSerial,
       "/home/op/notes.txt"},
      {"a plain file we may not open", kPortInUse, "/home/op/notes.txt", EACCES, "",
       Reason::kNotSerial, "/home/op/notes.txt"},
      {"a folder", kPortPlatformError, "/dev", EISDIR, "", Reason::kNotSerial, "/dev"},
      {"/dev/null", kPortNoDevice, "/dev/null", ENOTTY, "", Reason::kNotSerial, "/dev/null"},
      {"a terminal that is none", kPortNoDevice, "/dev/ttyUSB0", ENOTTY, "", Reason::kNotSerial,
       "/dev/ttyUSB0"},
      {"busy", kPortInUse, "/dev/ttyUSB0", EBUSY, "", Reason::kBusy, "/dev/ttyUSB0"},
      {"locked by flowdesk", kPortInUse, "/dev/ttyUSB0", EWOULDBLOCK, "", Reason::kBusy,
       "/dev/ttyUSB0"},
      {"an input error", kPortPlatformError, "/dev/ttyUSB0", EIO, "", Reason::kUnusable,
       "/dev/ttyUSB0"},
      {"a rate out of the table", kPortBadBaud, "", 0, "", Reason::kUnusable, ""},
      // A device server: the network's word alone, whatever a file of that
      // name would hold, and never an unplugged adapter.
      {"no address", kPortInvalidId, "tcp://server", 0, "", Reason::kBadAddress, "tcp://server",
       NetworkCause::kBadAddress},
      // The errno a name without an address leaves means nothing here.
      {"unknown host", kPortNoDevice, "tcp://nowhere:4001", EHOSTDOWN, "", Reason::kHostNotFound,
       "tcp://nowhere:4001", NetworkCause::kHostNotFound},
      {"refused", kPortNoDevice, "rfc2217://h:1", ECONNREFUSED, "rfc2217://h:1", Reason::kRefused,
       "rfc2217://h:1", NetworkCause::kRefused},
      {"timed out", kPortNoDevice, "tcp://h:1", ETIMEDOUT, "", Reason::kTimedOut, "tcp://h:1",
       NetworkCause::kTimedOut},
      {"closed", kPortNoDevice, "tcp://h:1", 0, "", Reason::kClosedByServer, "tcp://h:1",
       NetworkCause::kClosed},
      {"no RFC 2217", kPortNoDevice, "rfc2217://h:1", 0, "", Reason::kNoComPortControl,
       "rfc2217://h:1", NetworkCause::kNoComPortControl},
      {"another network error", kPortNoDevice, "tcp://h:1", ENETUNREACH, "", Reason::kUnusable,
       "tcp://h:1"},
      // A system error alone is no word of the server's.
      {"a refusal's errno without the cause", kPortNoDevice, "tcp://h:1", ECONNREFUSED, "",
       Reason::kUnusable, "tcp://h:1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const PortFailure f =
        portRefusal({2, c.status, c.device, c.error, c.cause, c.openedBefore}, look);
    EXPECT_EQ(f.reason, c.reason);
    EXPECT_EQ(f.device, c.shown);
    EXPECT_EQ(f.portIndex, 2);
    switch (f.reason) {
      case Reason::kPermission:
        EXPECT_EQ(f.group, "dialout");
        EXPECT_EQ(f.fixCommand, "sudo usermod -aG dialout $USER");
        break;
      case Reason::kNoGroupAccess:
        EXPECT_EQ(f.group, serialGroup());
        EXPECT_EQ(f.udevRule, udevRuleFor("ttyUSB0", serialGroup()));
        EXPECT_EQ(f.mode, 0600u);
        EXPECT_EQ(f.ownerGroup, "root");
        break;
      case Reason::kNotSerial:
        EXPECT_EQ(f.kind, c.error == ENOTTY && c.device == "/dev/ttyUSB0"
                              ? DeviceKind::kNotATerminal
                              : paths.at(c.device).kind);
        break;
      default:
        EXPECT_TRUE(f.group.empty());
        break;
    }
  }
}

// A result carries its port's reason as it was when the open failed, the
// devices present with it: only a port that did not open gets one, and an
// adapter that opened in this run and is gone now was unplugged.
TEST(LinkResultCause, APortThatDidNotOpenGivesItsReasonInTheResult) {
  testing::TempDir dev;
  std::ofstream(dev.file("ttyS0")) << "";
  const std::string adapter = dev.file("ttyUSB0");
  const struct {
    const char* name;
    bool openFirst;   // one exchange goes through first
    bool removeNode;  // then the device goes away
    int status;       // what the second open gives
    int error;
    std::optional<Reason> reason;
  } cases[] = {
      {"the unit answers", false, false, kPortOk, 0, std::nullopt},
      {"a silent unit is no port failure", true, false, kPortOk, 0, std::nullopt},
      {"missing from the start", false, true, kPortNoDevice, ENOENT, Reason::kMissing},
      {"unplugged during the run", true, true, kPortNoDevice, ENOENT, Reason::kUnplugged},
      {"busy", true, false, kPortInUse, EBUSY, Reason::kBusy},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::ofstream(adapter) << "";
    ManualClock clock;
    JbusMaster master(clock);
    master.setDeviceRoot(dev.path());
    auto line = std::make_shared<MemoryLine>(clock);
    master.setLinkSettings([] { return LinkSettings{0, 1.0f, 5}; });
    int error = 0;
    master.setPortOpener([&](int index, long baud, char parity, int bits, int stops) {
      SerialPort* port = openMemoryPort(line, index, baud, parity, bits, stops);
      port->device = adapter;
      port->systemError = error;
      return port;
    });
    if (c.openFirst) {
      const LinkResult silent = master.readRegisters(0x2202, 1);  // nobody answers on the line
      EXPECT_EQ(silent.fault, ReplyFault::kNoAnswer);
      EXPECT_FALSE(silent.port.has_value());
    }
    if (c.removeNode) std::filesystem::remove(adapter);
    line->openStatus = c.status;
    error = c.error;
    if (c.status == kPortOk) answerAsUnit(*line, 9600, 0, 1);
    const LinkResult r = master.readRegisters(0x2202, 1);
    // The adapter is back before anyone reads the result: it still says what was.
    std::ofstream(adapter) << "";
    const std::optional<PortFailure>& f = r.port;
    ASSERT_EQ(f.has_value(), c.reason.has_value());
    EXPECT_EQ(r.fault == ReplyFault::kPortFailed, c.reason.has_value());
    if (!f) continue;
    EXPECT_EQ(f->systemError, c.error);
    EXPECT_EQ(f->openedBefore, c.openFirst ? adapter : std::string());
    EXPECT_EQ(f->reason, *c.reason);
    EXPECT_EQ(f->device, adapter);
    EXPECT_EQ(f->presentDevices, needsDeviceList(*f) ? std::vector<std::string>{dev.file("ttyS0")}
                                                     : std::vector<std::string>{});
  }
}

// Connect asks at the saved port and rate first; a scan that finds nothing
// tells the same, whatever was saved.
TEST(ConnectionSession, SavedCombinationFirstLeavesAFailedScansReportAlone) {
  std::optional<std::array<std::string, 2>> report;
  const std::pair<int, int> saved[] = {{3, 2}, {0, 4}, {1, 0}, {2, 5}};
  for (const auto& [com, bauds] : saved) {
    SCOPED_TRACE(com * 10 + bauds);
    Bench b({kSilent, kMissing, kSilent});
    b.context.settings.Com = com;
    b.context.settings.Bauds = bauds;
    ConnectionSession session(b.context, b.dev.path());
    int steps = 0;
    const ConnectionOutcome outcome = session.connect([&](int, int) { ++steps; });
    EXPECT_FALSE(outcome.found);
    EXPECT_EQ(steps, 18);
    ASSERT_EQ(outcome.failures.size(), 3u);
    EXPECT_EQ(outcome.failures[0].baudIndexes, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(outcome.failures[1].reason, Reason::kMissing);
    EXPECT_EQ(b.context.settings.Com, com);
    EXPECT_EQ(b.context.settings.Bauds, bauds);
    // the terminals and folders differ from bench to bench; the rest must not
    std::array<std::string, 2> texts;
    for (Language language : {kFrench, kEnglish}) {
      std::string text = connectionReportText(outcome, language);
      for (const std::string& varies :
           {b.ptys[0].path(), b.ptys[1].path(), b.ptys[2].path(), b.dev.path()}) {
        for (std::size_t at; (at = text.find(varies)) != std::string::npos;) {
          text.replace(at, varies.size(), "X");
        }
      }
      texts[static_cast<std::size_t>(language)] = text;
    }
    if (!report) report = texts;
    EXPECT_EQ(texts, *report);
  }
  // Where it answered last, it answers at once.
  Bench b({kSilent, kUnit4800, kSilent});
  b.context.settings.Com = 1;
  b.context.settings.Bauds = 4;
  ConnectionSession session(b.context, b.dev.path());
  int steps = 0;
  const ConnectionOutcome outcome = session.connect([&](int, int) { ++steps; });
  EXPECT_TRUE(outcome.found);
  EXPECT_EQ(steps, 1);
  EXPECT_TRUE(outcome.failures.empty());
}

// What a polling screen shows beside "Communication Failure": the reason
// the connection page and flowdesk-cli give, on one line.
TEST(CommunicationFailure, SaysWhyTheUnitIsNotThere) {
  testing::PtyPair pty;  // a real terminal that no group may open
  ::chmod(pty.path().c_str(), 0600);
  const std::string adapter = pty.path();
  const struct {
    const char* name;
    std::string device;
    bool openFirst;  // one exchange goes through first
    int status;      // what the last open gives
    int error;
    bool refuses;                       // the unit answers with an exception
    std::array<const char*, 2> reason;  // French, English; a prefix for the long ones
    NetworkCause cause = NetworkCause::kNone;
  } cases[] = {
      {"no answer", adapter, false, kPortOk, 0, false, {"pas de réponse", "no answer"}},
      {"the unit refuses", adapter, false, kPortOk, 0, true, {"exception 2", "exception 2"}},
      {"adapter gone",
       "/nonexistent/ttyUSB9",
       false,
       kPortNoDevice,
       ENOENT,
       false,
       {"Com1 : /nonexistent/ttyUSB9 n'existe pas (adaptateur débranché ?).",
        "Com1: /nonexistent/ttyUSB9 does not exist (adapter unplugged?)."}},
      {"permission",
       adapter,
       false,
       kPortInUse,
       EACCES,
       false,
       {"Com1 : Accès refusé à ", "Com1: Access to "}},
      {"server refused",
       "tcp://127.0.0.1:1",
       false,
       kPortPlatformError,
       ECONNREFUSED,
       false,
       {"Com1 : tcp://127.0.0.1:1 : connexion refusée (aucun serveur n'écoute sur ce port).",
        "Com1: tcp://127.0.0.1:1: connection refused (no server listens on that port)."},
       NetworkCause::kRefused},
      {"busy", adapter, true, kPortInUse, EBUSY, false, {"Com1 : ", "Com1: "}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ManualClock clock;
    JbusMaster master(clock);
    auto line = std::make_shared<MemoryLine>(clock);
    master.setLinkSettings([] { return LinkSettings{0, 1.0f, 5}; });
    int error = 0;
    master.setPortOpener([&](int index, long baud, char parity, int bits, int stops) {
      SerialPort* port = openMemoryPort(line, index, baud, parity, bits, stops);
      port->device = c.device;
      port->systemError = error;
      if (error != 0) port->networkCause = c.cause;
      return port;
    });
    if (c.openFirst) {
      EXPECT_EQ(master.readRegisters(0x2202, 1).fault, ReplyFault::kNoAnswer);
    }
    line->openStatus = c.status;
    error = c.error;
    if (c.refuses) {
      line->onWrite = [](MemoryLine& l) {
        if (l.takeRequest().empty()) return;  // once per request, not per byte written
        l.deliverAtBaud(testing::withCrc({1, 0x83, 2}), 9600, 5);
      };
    }
    const LinkResult r = master.readRegisters(0x2202, 1);
    EXPECT_FALSE(r.ok());

    for (Language language : {kFrench, kEnglish}) {
      const std::string reason = linkResultText(r, language, ResultWording::kLine);
      EXPECT_TRUE(reason.starts_with(c.reason[static_cast<std::size_t>(language)])) << reason;
      // the advice stays on the connection page: one line here
      EXPECT_EQ(reason.find('\n'), std::string::npos) << reason;
      EXPECT_EQ(
          linkResultText(r, language, ResultWording::kCommunication),
          std::string(language == kFrench ? "Communication interrompue" : "Communication Failure") +
              " \u2014 " + reason);
    }
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
  EXPECT_EQ(choices.current, b.ptys[0].path());
  EXPECT_EQ(choices.items, (std::vector<std::string>{b.ptys[0].path(), b.dev.file("ttyUSB0"),
                                                     b.dev.file("ttyS0")}));

  EXPECT_FALSE(session.chooseDevice(b.ptys[0].path()));
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

  ConnectionOutcome advised;
  advised.failures = {failure(0, Reason::kNoGroupAccess, "/dev/ttyUSB0"),
                      failure(1, Reason::kNotSerial, "/home/op/notes.txt"),
                      failure(2, Reason::kBusy, "/dev/ttyACM0")};
  PortFailure& rule = advised.failures[0];
  rule.mode = 0600;
  rule.owner = "root";
  rule.ownerGroup = "root";
  rule.group = "dialout";
  rule.udevRule = udevRuleFor("ttyUSB0", "dialout");
  rule.fixCommand = "sudo usermod -aG dialout $USER";
  advised.failures[1].kind = DeviceKind::kRegularFile;
  advised.failures[2].holders = {{4242, "minicom"}, {77, "sleep"}};
  advised.adapterEchoes = true;

  ConnectionOutcome unplugged;
  unplugged.failures = {failure(0, Reason::kUnplugged, "/dev/ttyUSB0")};
  unplugged.presentDevices = {"/dev/ttyS0"};
  ConnectionOutcome foundEchoing = found;
  foundEchoing.adapterEchoes = true;

  const struct {
    const ConnectionOutcome* outcome;
    Language language;
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
      {&advised, kFrench,
       "La détection à échouée\n\n"
       "Com1 : Accès refusé à /dev/ttyUSB0 : aucun groupe n'y a accès (mode 0600, propriétaire "
       "root:root).\n"
       "Une règle udev le donne au groupe « dialout ». Mettez cette ligne dans "
       "/etc/udev/rules.d/60-flowdesk.rules :\n"
       "    SUBSYSTEM==\"tty\", KERNEL==\"ttyUSB[0-9]*\", GROUP=\"dialout\", MODE=\"0660\"\n"
       "puis appliquez-la :\n"
       "    sudo udevadm control --reload && sudo udevadm trigger\n"
       "ajoutez votre compte à ce groupe :\n"
       "    sudo usermod -aG dialout $USER\n"
       "puis fermez la session et reconnectez-vous.\n\n"
       "Com2 : /home/op/notes.txt n'est pas un périphérique série : c'est un fichier ordinaire.\n\n"
       "Com3 : /dev/ttyACM0 est déjà utilisé par minicom (pid 4242), sleep (pid 77).\n\n"
       "L'adaptateur renvoie ce qu'il émet : son écho est ignoré."},
      {&advised, kEnglish,
       "Connect Failure\n\n"
       "Com1: Access to /dev/ttyUSB0 was refused: no group may use it (mode 0600, owner "
       "root:root).\n"
       "A udev rule gives it to the group \"dialout\". Put this line into "
       "/etc/udev/rules.d/60-flowdesk.rules:\n"
       "    SUBSYSTEM==\"tty\", KERNEL==\"ttyUSB[0-9]*\", GROUP=\"dialout\", MODE=\"0660\"\n"
       "then apply it:\n"
       "    sudo udevadm control --reload && sudo udevadm trigger\n"
       "add your account to that group:\n"
       "    sudo usermod -aG dialout $USER\n"
       "then log out and log in again.\n\n"
       "Com2: /home/op/notes.txt is not a serial device: it is a plain file.\n\n"
       "Com3: /dev/ttyACM0 is in use by minicom (pid 4242), sleep (pid 77).\n\n"
       "The adapter echoes what it sends: its echo is skipped."},
      {&unplugged, kFrench,
       "La détection à échouée\n\n"
       "Com1 : /dev/ttyUSB0 a disparu depuis son dernier usage (adaptateur débranché ?).\n\n"
       "Périphériques série présents : /dev/ttyS0."},
      {&unplugged, kEnglish,
       "Connect Failure\n\n"
       "Com1: /dev/ttyUSB0 has gone since it was last used (adapter unplugged?).\n\n"
       "Serial devices present: /dev/ttyS0."},
      {&foundEchoing, kEnglish,
       "Connect successfull\n\nThe adapter echoes what it sends: its echo is skipped."},
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
  testing::PtyPair pty;
  ASSERT_TRUE(pty.ok());
  const std::string file = dir.file("ttyUSB0");
  std::ofstream(file) << "";
  const struct {
    std::string device;
    std::string text;
  } cases[] = {
      {pty.path(), ""},  // a terminal we may read and write
      {"", ""},
      {dir.file("ttyUSB9"), dir.file("ttyUSB9") + " does not exist (adapter unplugged?)."},
      // Never "join the group root" for a file that no serial line lives in.
      {file, file + " is not a serial device: it is a plain file."},
      {dir.path(), dir.path() + " is not a serial device: it is a folder."},
      {"/dev/null", "/dev/null is not a serial device: that device is no terminal."},
  };
  for (const auto& c : cases) EXPECT_EQ(deviceAccessText(c.device, kEnglish), c.text) << c.device;
  if (::geteuid() != 0) {  // root may open anything
    ::chmod(pty.path().c_str(), 0);
    const std::string text = deviceAccessText(pty.path(), kFrench);
    EXPECT_EQ(text.rfind("Accès refusé à " + pty.path() + " : aucun groupe n'y a accès", 0), 0u)
        << text;
    EXPECT_NE(text.find(udevRuleFor(checkDeviceAccess(pty.path()).kernelName, serialGroup())),
              std::string::npos)
        << text;
  }
}

}  // namespace
}  // namespace flowdesk
