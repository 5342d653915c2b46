// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "link/JbusMaster.h"

namespace flowdesk {

// Finding the unit by itself: the Connect button of the connection page and
// flowdesk-cli's `detect`.
//
// The search changes the link settings in place (the settings the master
// reads at every transaction), so the caller passes them by reference: the
// application's Com, Jbus and Bauds.
struct LinkSettingRefs {
  std::int32_t& Com;
  float& Jbus;
  std::int32_t& Bauds;
};

// Called before each combination is tried.
using DetectionProgress = std::function<void(int portIndex, int baudIndex)>;
// Called after each combination was tried, with what the read gave.
using DetectionTried = std::function<void(int portIndex, int baudIndex, const LinkResult& read)>;

// Com1 to Com3; Com4 is never searched.
inline constexpr std::array<int, 3> kDetectionPorts{0, 1, 2};

// Where a search starts: at the saved Com and Bauds (where the unit was
// last found), or straight at the first port's slowest rate (a device given
// for one run has no rate saved for it).
enum class DetectionStart { kSavedFirst, kScanOrder };

// Slave address 0, then a read of register 0x2202 through transfer at the
// saved Com and Bauds (when Com is one of `ports` and `start` says so), then for each port of
// `ports` and each baud index 0 to 5 (300 baud first; a tcp:// device only at
// the baud index it has, the rate being the server's) the same read, the
// saved combination not asked twice; the first that succeeds ends the search,
// leaving Com and Bauds where the unit answered, and its read is the result.
// When none answers, Com and Bauds are left at the last combination of that
// order (Connect restores them) and the result is the last read's.
LinkResult unitDetection(JbusMaster& master, LinkSettingRefs link,
                         const DetectionProgress& progress = {},
                         std::span<const int> ports = kDetectionPorts,
                         DetectionStart start = DetectionStart::kSavedFirst,
                         const DetectionTried& tried = {});

struct ConnectResult {
  bool found = false;
  int address = 0;  // the unit's own address (low byte of 0x2202), when found
};

// The Connect sequence: saves the address, port and baud index; marks the
// unit identified while the search runs (no identification reads during the
// scan) and forgets it afterwards, so the next transfer identifies the unit
// found; on success the address becomes the one the unit reported and port
// and baud stay where it answered; on failure all three are put back.
// `tried` hears every combination's read, as unitDetection says it.
ConnectResult connectUnit(JbusMaster& master, LinkSettingRefs link,
                          const DetectionProgress& progress = {},
                          std::span<const int> ports = kDetectionPorts,
                          DetectionStart start = DetectionStart::kSavedFirst,
                          const DetectionTried& tried = {});

}  // namespace flowdesk
