// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A register store on an in-memory line: function 3 reads it, function 16
// writes it (each write kept with its data and the clock's time); requests
// for a first register in `refused`, or that `refuse` picks, get no answer.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "base/Bytes.h"
#include "base/Clock.h"
#include "link/JbusMaster.h"
#include "link/MemorySerialDriver.h"
#include "support/Frames.h"

namespace flowdesk::testing {

struct RegisterWrite {
  int first = 0;
  Bytes data;
  std::int64_t atMs = 0;
};

struct RegisterLine {
  ManualClock clock;
  std::shared_ptr<MemoryLine> line = std::make_shared<MemoryLine>(clock);
  std::map<int, std::uint16_t> registers;
  std::set<int> refused;
  std::function<bool(const Bytes& request)> refuse;
  std::vector<std::pair<int, int>> asked;  // function and first register, answered or not
  std::vector<int> writes;                 // first registers, in order
  std::vector<RegisterWrite> written;

  // `master` talks to this store from now on.
  void serve(JbusMaster& master) {
    master.setPortOpener(memoryPortOpener(line));
    master.markIdentified();
    line->onWrite = [this](MemoryLine& l) {
      const auto req = l.takeRequest();
      if (req.size() < 8) return;
      const int first = req[2] << 8 | req[3];
      const int count = req[4] << 8 | req[5];
      asked.emplace_back(req[1], first);
      if (refused.count(first) || (refuse && refuse(req))) return;
      Bytes reply(req.begin(), req.begin() + 2);
      if (req[1] == 3) {
        reply.push_back(static_cast<std::uint8_t>(2 * count));
        for (int r = first; r < first + count; ++r) {
          reply.push_back(static_cast<std::uint8_t>(registers[r] >> 8));
          reply.push_back(static_cast<std::uint8_t>(registers[r] & 0xFF));
        }
      } else {
        writes.push_back(first);
        written.push_back(
            {first, Bytes(req.begin() + 7, req.begin() + 7 + 2 * count), clock.nowMs()});
        for (int i = 0; i < count; ++i) {
          registers[first + i] = static_cast<std::uint16_t>(req[7 + 2 * i] << 8 | req[8 + 2 * i]);
        }
        reply.insert(reply.end(), req.begin() + 2, req.begin() + 6);
      }
      l.deliverAtBaud(withCrc(reply), 9600, 5);
    };
  }
};

}  // namespace flowdesk::testing
