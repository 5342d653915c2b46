// SPDX-License-Identifier: GPL-3.0-or-later
// The length rule for the end of a reply against the silence rule: the
// virtual unit on an in-memory line spoils its replies as its fault plan
// says, and flowdesk-cli (in process, manual clock) records and downloads
// through it once by each rule. Whatever the fault, both rules must accept
// the same values and find the same failures; the length rule only saves
// time.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "cli/InProcessCli.h"
#include "cli/MemoryUnitRig.h"
#include "link/LinkTimings.h"
#include "support/TestFiles.h"
#include "unit/FaultPlan.h"
#include "unit/ReplyPlan.h"

namespace flowdesk {
namespace {

using testing::fileBytes;

// The unit of MemoryUnitRig, its replies spoiled by `rules` (the unit's
// --faults syntax) and sent as the unit program sends them.
struct FaultyRig : testing::MemoryUnitRig {
  testing::InProcessCli cli;
  unit::FaultPlan plan;
  long received = 0;

  explicit FaultyRig(const std::string& rules) {
    std::string error;
    auto parsed = unit::FaultPlan::parse(rules, 7, error);
    EXPECT_TRUE(parsed.has_value()) << error;
    if (parsed) plan = *parsed;
    cli.clock = &clock;
    cli.portOpener = memoryPortOpener(line);
    line->onWrite = [this](MemoryLine& l) {
      const Bytes frame = l.takeRequest();
      if (frame.size() < 8) return;
      const auto reply = unit.handle(frame);
      if (!reply) return;
      const auto fault = plan.next(++received);
      const unit::ReplyPlan p =
          unit::planReply(*reply, fault, 9600, frame[1], std::chrono::milliseconds(5));
      if (!p.send) return;
      const auto delay = static_cast<int>(p.delay.count());
      if (p.pauseBefore == 0) {
        l.deliverAtBaud(p.bytes, 9600, delay);
        return;
      }
      const auto cut = p.bytes.begin() + static_cast<std::ptrdiff_t>(p.pauseBefore);
      const auto head = std::chrono::duration_cast<std::chrono::milliseconds>(
          link_timings::wireTime(9600, p.pauseBefore));
      l.deliverAtBaud(Bytes(p.bytes.begin(), cut), 9600, delay);
      l.deliverAtBaud(Bytes(cut, p.bytes.end()), 9600,
                      delay + static_cast<int>(head.count() + p.pause.count()));
    };
  }
};

struct Outcome {
  int status = 0;
  std::string err;
  Bytes file;
  long requests = 0;
  std::int64_t tookMs = 0;
};

// What standard error says, without the download's progress line (its time
// left differs, which is the point).
std::string messages(const std::string& err) {
  std::string out;
  std::size_t start = 0;
  while (start < err.size()) {
    std::size_t end = err.find_first_of("\r\n", start);
    if (end == std::string::npos) end = err.size();
    const std::string line = err.substr(start, end - start);
    if (line.starts_with("flowdesk-cli:")) out += line + "\n";
    start = end + 1;
  }
  return out;
}

Outcome runWith(const std::string& rules, const std::vector<std::string>& command,
                const char* replyEnd) {
  FaultyRig rig(rules);
  std::vector<std::string> args{"--lang", "en", "--reply-end", replyEnd};
  args.insert(args.end(), command.begin(), command.end());
  args[5] = rig.cli.file(args[5]);  // the file the command writes
  const std::int64_t start = rig.clock.nowMs();
  Outcome o;
  o.status = rig.cli.run(args);
  o.tookMs = rig.clock.nowMs() - start;
  o.err = rig.cli.err;
  const std::string folder = rig.cli.home.path();
  for (std::size_t at = o.err.find(folder); at != std::string::npos; at = o.err.find(folder)) {
    o.err.replace(at, folder.size(), "DIR");
  }
  o.file = fileBytes(args[5]);
  o.requests = rig.received;
  return o;
}

TEST(ReplyEnd, TheLengthRuleAcceptsAndRefusesWhatTheSilenceRuleDoes) {
  // Every fault kind of the unit, on a read of the measurement blocks
  // (function 3) and on the logger download (function 4), on the third
  // reply and then again further on.
  const std::vector<std::string> rules = {
      "",          "drop@3,9",
      "crc@3,9",   "short@3,9",
      "long@3,9",  "exception@3,9",
      "late@3,9",  "pause@3,9",
      "silent>=3", "crc%30;short%20;long%20",
  };
  const std::vector<std::vector<std::string>> commands = {
      {"record", "r.mes", "--polls", "6"},
      {"download", "d.log", "--reconnect", "0"},
  };
  for (const auto& command : commands) {
    for (const std::string& r : rules) {
      SCOPED_TRACE(command[0] + " with \"" + r + "\"");
      const Outcome silence = runWith(r, command, "silence");
      const Outcome length = runWith(r, command, "length");
      EXPECT_EQ(length.status, silence.status) << length.err << "\n" << silence.err;
      EXPECT_EQ(messages(length.err), messages(silence.err));
      EXPECT_EQ(length.file, silence.file) << "the same values, byte for byte";
      EXPECT_EQ(length.requests, silence.requests) << "the same retries";
      if (silence.status == 0) {
        EXPECT_GT(silence.file.size(), 0u);
        EXPECT_LT(length.tookMs, silence.tookMs);
      }
    }
  }
}

}  // namespace
}  // namespace flowdesk
