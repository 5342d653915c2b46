// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program and the virtual unit in one process, on an in-memory line and
// a manual clock: every request the unit received is kept (with the data of
// each write), and `refuse` makes the unit keep silent on the requests it
// matches.
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "base/Clock.h"
#include "link/AppContext.h"
#include "support/ManualClock.h"
#include "support/MemorySerialDriver.h"
#include "unit/RegisterTables.h"
#include "unit/VirtualUnit.h"

namespace flowdesk::testing {

// A request as the unit received it.
struct Request {
  int function = 0;
  int first = 0;
  Bytes data;  // written bytes (function 16)
  std::int64_t atMs = 0;
};

inline unit::StoredBlocks blocksOf(const unit::UnitSettings& settings,
                                   const std::function<void(unit::StoredBlocks&)>& change = {}) {
  unit::StoredBlocks blocks = unit::VirtualUnit::defaultBlocks(settings);
  if (change) change(blocks);
  return blocks;
}

struct MemoryUnitRig {
  ManualClock clock;
  DeviceImage image;
  AppContext app{clock, image};
  std::shared_ptr<MemoryLine> line = std::make_shared<MemoryLine>(clock);
  unit::UnitSettings settings;
  unit::StoredBlocks start;
  // The unit's own clock stands still, so that two runs serve the same
  // values; a test of what changes from poll to poll lets it move with the
  // manual clock. Declared before the unit, which reads it.
  bool clockMoves = false;
  unit::VirtualUnit unit;
  std::vector<Request> requests;
  std::function<bool(const Request&)> refuse;
  // Called with the unit's reply to a request it carried out: a fault plan
  // may spoil it (or empty it: the reply is lost) on its way back.
  std::function<void(const Request&, Bytes& reply)> spoil;

  explicit MemoryUnitRig(int configs = 18,
                         const std::function<void(unit::StoredBlocks&)>& change = {})
      : MemoryUnitRig(withConfigs(configs), change) {}
  explicit MemoryUnitRig(unit::UnitSettings unitSettings,
                         const std::function<void(unit::StoredBlocks&)>& change = {})
      : settings(std::move(unitSettings)),
        start(blocksOf(settings, change)),
        unit(
            settings,
            [this] {
              return 1.7e9 + (clockMoves ? static_cast<double>(clock.nowMs()) / 1000.0 : 0.0);
            },
            &start) {
    line->onWrite = [this](MemoryLine& l) {
      const Bytes frame = l.takeRequest();
      if (frame.size() < 8) return;
      Request r{frame[1], frame[2] << 8 | frame[3], {}, clock.nowMs()};
      if (r.function == 16) r.data.assign(frame.begin() + 7, frame.end() - 2);
      requests.push_back(r);
      if (refuse && refuse(r)) return;
      auto reply = unit.handle(frame);
      if (reply && spoil) spoil(r, *reply);
      if (reply && !reply->empty()) l.deliverAtBaud(*reply, 9600, 5);
    };
    app.master.setPortOpener(memoryPortOpener(line));
    app.settings.Com = 0;
    app.settings.Jbus = 1;
    app.settings.Bauds = 5;
  }
  static unit::UnitSettings withConfigs(int configs) {
    unit::UnitSettings s;
    s.configs = configs;
    return s;
  }
  std::vector<Request> writes() const {
    std::vector<Request> out;
    for (const Request& r : requests) {
      if (r.function == 16) out.push_back(r);
    }
    return out;
  }
};

}  // namespace flowdesk::testing
