// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "base/Bytes.h"
#include "unit/EchoPicture.h"
#include "unit/LoggerMemory.h"
#include "unit/MeasurementModel.h"
#include "unit/RegisterTables.h"
#include "unit/StateFile.h"
#include "unit/Totalizers.h"

namespace flowdesk::unit {

// Modbus exception codes the unit answers with.
inline constexpr std::uint8_t kIllegalFunction = 0x01;
inline constexpr std::uint8_t kIllegalAddress = 0x02;
inline constexpr std::uint8_t kIllegalValue = 0x03;

struct UnitSettings {
  int address = 1;           // initial value of the factory block's address byte
  int configs = 2;           // 2, or 18 with a logger fitted
  int loggerType = 4;        // 4 or 9 parameters per record
  long loggerRecords = 100;  // records present at start
  long loggerSize = 2000;    // logger size in records of the starting type
  int unitCode = 1;
  int echoKinds = 4;  // 2 or 4 echo screens per chord
  // What a real unit varies, set in the blocks of a fresh unit (a --state
  // file's blocks win): chords in use (0 keeps the default of one), the
  // calorimetric variant, a manual KH (nothing keeps the default, automatic).
  int chords = 0;
  bool calorimetry = false;
  std::optional<bool> manualKh;
  // Status bits (register 0x010F) that stay set, so the fault box fills.
  std::uint16_t faultsShown = 0;
  // No fault comes and goes (a unit a verification report passes), and
  // how far each chord is from health.
  bool steady = false;
  std::array<ChordHealth, 6> chordHealth{};
  std::uint32_t seed = 1;
  std::string statePath;  // empty: nothing kept across runs
};

// Seconds since the epoch (UTC), fractions included. Injected so tests can
// move time by hand.
using WallClock = std::function<double()>;
double systemWallClock();

// The unit's side of the conversation: takes one request frame and gives the
// reply frame. It knows nothing of the line; timing and faults are the
// server's business.
class VirtualUnit {
 public:
  VirtualUnit(const UnitSettings& settings, WallClock clock,
              const StoredBlocks* restored = nullptr);

  // The blocks of a unit fresh from the factory with these settings.
  static StoredBlocks defaultBlocks(const UnitSettings& settings);

  // `frame` is a whole request, CRC included. Nothing comes back when the frame
  // is not for this unit (bad CRC, another address); otherwise the reply,
  // CRC included (an exception reply for what the unit does not serve).
  std::optional<Bytes> handle(std::span<const std::uint8_t> frame);

  int address() const { return blocks_.factory[fac::kJbus]; }
  std::uint16_t rereadFlag() const { return reread_; }
  long loggerFilled() const { return logger_.filled(); }
  const StoredBlocks& stored() const { return blocks_; }
  int echoCode() const { return echoCommand_[0]; }
  // The unit clock (a calendar time without zone) at this instant.
  std::tm unitTime(double t) const;

  // Problems that do not stop the unit (a state file that cannot be written).
  std::function<void(const std::string&)> warn;

 private:
  enum class Area {
    kS1,
    kM1,
    kM2,
    kConfig,
    kFactory,
    kClock,
    kCommand,
    kEchoCommand,
    kLoggerSettings,
    kMaker,
    kCatalogueA,
    kCatalogueB
  };
  struct AreaHit {
    Area area;
    int index;  // configuration number
    std::uint16_t first;
    int count;
  };
  std::optional<AreaHit> findArea(std::uint16_t start, int count) const;
  static bool writable(Area area);

  Bytes readBlock(const AreaHit& hit, double now);
  Bytes renderS1() const;
  Bytes renderM1(double now);
  Bytes renderM2(double now);
  Bytes renderClock(double now) const;

  Bytes readRegisters(std::uint16_t start, int count, std::uint8_t& exception, double now);
  Bytes readEchoPart(int part, int count, std::uint8_t& exception, double now);
  Bytes readRecords(std::uint16_t start, int count, std::uint8_t& exception);
  bool writeRegisters(std::uint16_t start, int count, std::span<const std::uint8_t> data,
                      std::uint8_t& exception, double now);

  void applyConfiguration();
  void configureLogger();
  void fillLogger(long count, double now);
  void growLogger(double now);
  Bytes buildRecord(double t, const LoggedTotals& totals, std::uint16_t extraStatus) const;
  void setRereadFlag();
  void saveState();

  UnitSettings settings_;
  WallClock clock_;
  StoredBlocks blocks_;
  std::array<std::uint8_t, 4> echoCommand_{};
  Catalogue catalogue_;

  MeasurementModel model_;
  Totalizers totals_;
  LoggerMemory logger_;
  long capacityUnits_ = 0;
  double lastRecordTime_ = 0;
  std::uint16_t pendingLogStatus_ = 0;

  std::uint16_t reread_ = 1;
  bool s1Seen_ = false, s2Seen_ = false;
  double clockOffset_ = 0;  // seconds added to the local calendar time

  std::optional<EchoImage> echoImage_;
};

}  // namespace flowdesk::unit
