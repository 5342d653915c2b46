// SPDX-License-Identifier: GPL-3.0-or-later
// record and download when the device goes away and comes back on the same
// path: flowdesk-cli in process, the virtual unit on an in-memory line that
// stops opening for a while from one request on, on a manual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/InProcessCli.h"
#include "cli/MemoryUnitRig.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::fileBytes;

// The unit on its line; from request `unplugAt` on (-1: from the start) the
// request goes unanswered and the device does not open for `outageMs`.
// With `hangsUp` the device goes under the open port, as an adapter pulled
// out during the exchange, and `unplugUntil` makes that happen again at every
// request up to that one.
struct UnpluggedRig : testing::MemoryUnitRig {
  testing::InProcessCli cli;
  long unplugAt = 1000000;
  long unplugUntil = -1;
  bool hangsUp = false;
  std::int64_t outageMs = 0;
  std::int64_t goneAt = -1;

  UnpluggedRig() {
    refuse = [this](const testing::Request&) {
      const auto n = static_cast<long>(requests.size());
      if (n < unplugAt || n > std::max(unplugAt, unplugUntil)) return false;
      goneAt = clock.nowMs();
      line->hungUp = hangsUp;
      return true;
    };
    cli.clock = &clock;
    cli.portOpener = [this](int port, long baud, char parity, int dataBits, int stopBits) {
      const bool gone = unplugAt < 0 || (goneAt >= 0 && clock.nowMs() < goneAt + outageMs);
      line->openStatus = gone ? kPortNoDevice : kPortOk;
      line->hungUp = false;  // a device opened anew
      return openMemoryPort(line, port, baud, parity, dataBits, stopBits);
    };
  }
  int run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--lang", "en"});
    return cli.run(args);
  }
};

TEST(Reconnect, RecordAndDownloadWaitForTheDeviceAndGoOnWhereTheyWere) {
  // What an uninterrupted run gives, and how many requests it takes.
  UnpluggedRig reference;
  ASSERT_EQ(reference.run({"download", reference.cli.file("whole.log")}), 0) << reference.cli.err;
  const Bytes whole = fileBytes(reference.cli.file("whole.log"));
  const long downloadRequests = static_cast<long>(reference.requests.size());
  ASSERT_GT(whole.size(), 2u);

  struct Case {
    std::string command;
    long unplugAt;  // -1: never there
    std::int64_t outageMs;
    std::vector<std::string> options;
    int status;
    std::string said;
    bool hangsUp = false;
    long unplugUntil = -1;
  } cases[] = {
      {"record", 7, 4000, {}, 0, "is back after 4 s"},
      // Pulled out during the exchange and back at once: the poll is asked
      // again, as after a longer absence.
      {"record", 7, 0, {}, 0, "is back after 0 s", true},
      // Gone at every request however quickly it comes back: the job ends.
      {"record", 7, 0, {}, 3, "polls the unit did not answer; ", true, 1000000},
      {"download", downloadRequests / 2, 0, {}, 3, "the unit stopped answering", true, 1000000},
      {"record", 7, 60000, {"--reconnect", "5"}, 3, "did not come back within 5 s"},
      {"record", -1, 0, {}, 3, "cannot be opened"},
      {"download", downloadRequests * 2 / 3, 2500, {"--reconnect", "30"}, 0, "is back after"},
      {"download",
       downloadRequests * 2 / 3,
       60000,
       {"--reconnect", "2"},
       3,
       "did not come back within 2 s"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command + " " + std::to_string(c.outageMs));
    UnpluggedRig rig;
    rig.unplugAt = c.unplugAt;
    rig.unplugUntil = c.unplugUntil;
    rig.hangsUp = c.hangsUp;
    rig.outageMs = c.outageMs;
    const bool record = c.command == "record";
    const std::string path = rig.cli.file(record ? "r.mes" : "d.log");
    std::vector<std::string> args{c.command, path};
    if (record) args.insert(args.end(), {"--polls", "12"});
    args.insert(args.end(), c.options.begin(), c.options.end());
    EXPECT_EQ(rig.run(args), c.status);
    EXPECT_NE(rig.cli.err.find(c.said), std::string::npos) << rig.cli.err;
    if (c.status != 0) continue;
    if (record) {
      ASSERT_EQ(rig.run({"show", path}), 0);
      EXPECT_NE(rig.cli.out.find("records: 12\n"), std::string::npos) << rig.cli.out;
    } else {
      EXPECT_EQ(fileBytes(path), whole) << "no record lost or doubled";
    }
  }
}

TEST(Reconnect, ASilentUnitIsNotWaitedFor) {
  // The device opens but nothing answers: every poll counts, no wait.
  struct Case {
    long answered;
    int status;
    std::string said;
  } cases[] = {{0, 3, "5/5 polls the unit did not answer"},
               {12, 1, "polls the unit did not answer; "}};
  for (const Case& c : cases) {
    UnpluggedRig rig;
    rig.refuse = [&rig, &c](const testing::Request&) {
      return static_cast<long>(rig.requests.size()) > c.answered;
    };
    EXPECT_EQ(rig.run({"record", rig.cli.file("r.mes"), "--polls", "5"}), c.status);
    EXPECT_NE(rig.cli.err.find(c.said), std::string::npos) << rig.cli.err;
    EXPECT_EQ(rig.cli.err.find("gone"), std::string::npos) << rig.cli.err;
  }
}

}  // namespace
}  // namespace flowdesk
