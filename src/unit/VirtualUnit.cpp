// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/VirtualUnit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "unit/RequestFrame.h"

namespace flowdesk::unit {

namespace {

constexpr int kMaxReadCount = 125;
constexpr int kMaxWriteCount = 123;
constexpr int kEchoLastPartCount = 92;

// Version texts of block S1: 14 characters for the display board, 10 for the
// measurement board.
constexpr char kDisplayVersion[] = "AFF 2.14 03/06";
constexpr char kVovVersion[] = "VOV 3.21.b";

double localCalendarSeconds(double t) {
  const auto whole = static_cast<std::time_t>(std::floor(t));
  std::tm local{};
  localtime_r(&whole, &local);
  return static_cast<double>(timegm(&local)) + (t - std::floor(t));
}

void putDate(std::span<std::uint8_t> b, int at, const std::tm& tm) {
  // Month, year - 2000 / hour, day / second, minute.
  put8(b, at, tm.tm_mon + 1);
  put8(b, at + 1, tm.tm_year + 1900 - 2000);
  put8(b, at + 2, tm.tm_hour);
  put8(b, at + 3, tm.tm_mday);
  put8(b, at + 4, tm.tm_sec);
  put8(b, at + 5, tm.tm_min);
}

Bytes exceptionReply(std::uint8_t address, std::uint8_t function, std::uint8_t code) {
  Bytes r{address, static_cast<std::uint8_t>(function | 0x80), code};
  appendCrc(r);
  return r;
}

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

double systemWallClock() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<double>(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

VirtualUnit::VirtualUnit(const UnitSettings& settings, WallClock clock,
                         const StoredBlocks* restored)
    : settings_(settings), clock_(std::move(clock)), model_(settings.seed) {
  model_.setShownFaults(settings_.faultsShown);
  model_.setSteady(settings_.steady);
  model_.setChordHealth(settings_.chordHealth);
  const bool large = settings_.loggerType == 9;
  blocks_ = restored ? *restored : defaultBlocks(settings_);
  capacityUnits_ = settings_.loggerSize * (large ? 2 : 1);
  applyConfiguration();
  configureLogger();
  const double now = clock_();
  totals_.advance(model_, now);
  if (settings_.configs == 18) fillLogger(settings_.loggerRecords, now);
  lastRecordTime_ = now;
  // The first record logged after start tells that the power came back.
  pendingLogStatus_ = status::kPowerRestored;
}

StoredBlocks VirtualUnit::defaultBlocks(const UnitSettings& settings) {
  StoredBlocks b;
  for (auto& c : b.configs) {
    c = defaultConfiguration();
    if (settings.chords > 0) put8(c, cfg::kChords, static_cast<std::uint8_t>(settings.chords));
    if (settings.manualKh) put8(c, cfg::kKhType, *settings.manualKh ? 1 : 0);
  }
  b.factory = defaultFactory(settings.address);
  b.maker = defaultMaker();
  // Variant 3 is the calorimetric one: the unit then measures power.
  if (settings.calorimetry) put8(b.maker, mak::kVariant, 3);
  b.logger = defaultLoggerSettings(settings.loggerType == 9 ? 1 : 0);
  return b;
}

std::tm VirtualUnit::unitTime(double t) const {
  const auto naive = static_cast<std::time_t>(std::floor(localCalendarSeconds(t) + clockOffset_));
  std::tm tm{};
  gmtime_r(&naive, &tm);
  return tm;
}

void VirtualUnit::applyConfiguration() {
  catalogue_ = probeCatalogue(blocks_.factory);
  const ConfigBytes& c = blocks_.configs[0];
  const unsigned probe = get8(c, cfg::kProbe);
  const std::uint16_t angle = probe < catalogue_.size() ? catalogue_[probe].angle : 0;
  model_.setConfiguration(c, blocks_.factory, blocks_.maker, angle);
  totals_.setModes({static_cast<int>(get8(c, cfg::kTot1Type)),
                    static_cast<int>(get8(c, cfg::kTot2Type)),
                    static_cast<int>(get8(c, cfg::kTot3Type))});
}

void VirtualUnit::configureLogger() {
  logger_.configure(get8(blocks_.logger, logset::kType) != 0, capacityUnits_);
}

Bytes VirtualUnit::buildRecord(double t, const LoggedTotals& totals,
                               std::uint16_t extraStatus) const {
  RecordInputs in;
  in.date = unitTime(t);
  in.pointNumber = get8(blocks_.logger, logset::kPoint);
  in.flowUnit = model_.flowUnit();
  const int period = periodSeconds(get8(blocks_.logger, logset::kPeriod));
  // The average, maximum and minimum of the period, from a few samples of it.
  double sum = 0, hi = -1e300, lo = 1e300;
  constexpr int kSamples = 6;
  for (int i = 0; i < kSamples; ++i) {
    const double q = model_.flowAt(t - period + period * (i + 0.5) / kSamples);
    sum += q;
    hi = std::max(hi, q);
    lo = std::min(lo, q);
  }
  in.flowAverage = sum / kSamples;
  in.flowMax = hi;
  in.flowMin = lo;
  in.snapshot = model_.at(t);
  in.status =
      static_cast<std::uint16_t>((in.snapshot.status & ~status::kNoCalorimetry) | extraStatus);
  in.flowQuality = (in.status & status::kFlowFault)
                       ? 40
                       : 92 + static_cast<int>(std::lround(6 * model_.noise(50, t, 1)));
  in.marked = model_.noise(51, t, 1) > 0.84;  // about one record in twelve
  in.totals = totals;
  for (int i = 0; i < 8; ++i) in.params[i] = get8(blocks_.logger, logset::kParam2 + i);
  return encodeRecord(logger_.recordBytes(), in);
}

void VirtualUnit::fillLogger(long count, double now) {
  count = std::clamp<long>(count, 0, logger_.capacity());
  if (count == 0) return;
  const int period = periodSeconds(get8(blocks_.logger, logset::kPeriod));
  // Newest record first, counting the totalizers backwards from their current
  // values, so the newest record agrees with the totalizers the unit reports.
  LoggedTotals totals{{totals_.value(0), totals_.value(1), totals_.value(2)}, totals_.volume()};
  std::vector<Bytes> newestFirst;
  newestFirst.reserve(static_cast<std::size_t>(count));
  for (long i = 0; i < count; ++i) {
    const double t = now - static_cast<double>(i) * period;
    newestFirst.push_back(buildRecord(t, totals, 0));
    const Snapshot s = model_.at(t);
    const double volume = s.flowM3s * period;
    totals.volume -= volume;
    for (int k = 0; k < 3; ++k) {
      switch (static_cast<TotalizerMode>(totals_.mode(k))) {
        case TotalizerMode::kNet:
          totals.t[k] -= volume;
          break;
        case TotalizerMode::kPositive:
          totals.t[k] -= std::max(volume, 0.0);
          break;
        case TotalizerMode::kNegative:
          totals.t[k] -= std::max(-volume, 0.0);
          break;
        case TotalizerMode::kEnergy:
          totals.t[k] -= s.power * period / 3600.0;
          break;
        default:
          break;
      }
    }
  }
  for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it) logger_.append(*it);
}

void VirtualUnit::growLogger(double now) {
  if (settings_.configs != 18) return;
  const int period = periodSeconds(get8(blocks_.logger, logset::kPeriod));
  if (logger_.full()) {
    lastRecordTime_ = now;
    return;
  }
  while (now - lastRecordTime_ >= period && !logger_.full()) {
    const double t = lastRecordTime_ + period;
    totals_.advance(model_, t);
    const LoggedTotals totals{{totals_.value(0), totals_.value(1), totals_.value(2)},
                              totals_.volume()};
    logger_.append(buildRecord(t, totals, pendingLogStatus_));
    pendingLogStatus_ = 0;
    lastRecordTime_ = t;
  }
}

void VirtualUnit::setRereadFlag() {
  reread_ = 1;
  s1Seen_ = s2Seen_ = false;
}

void VirtualUnit::saveState() {
  if (settings_.statePath.empty()) return;
  std::string error;
  if (!writeFileAtomically(settings_.statePath, formatState(blocks_), error) && warn) {
    warn("cannot save the state: " + error);
  }
}

bool VirtualUnit::writable(Area area) {
  switch (area) {
    case Area::kConfig:
    case Area::kFactory:
    case Area::kClock:
    case Area::kCommand:
    case Area::kEchoCommand:
    case Area::kLoggerSettings:
    case Area::kMaker:
      return true;
    default:
      return false;
  }
}

std::optional<VirtualUnit::AreaHit> VirtualUnit::findArea(std::uint16_t start, int count) const {
  struct Span {
    Area area;
    int index;
    std::uint16_t first;
    int count;
  };
  // The fixed areas in one table the compiler sizes, the configurations
  // after them by their stride: a hand count could let one more fixed area
  // overwrite a configuration's place.
  static constexpr Span kFixed[] = {
      {Area::kS1, 0, kS1Address, kS1Count},
      {Area::kM1, 0, kM1Address, kM1Count},
      {Area::kM2, 0, kM2Address, kM2Count},
      {Area::kFactory, 0, kFactoryAddress, kFactoryCount},
      {Area::kClock, 0, kClockAddress, kClockCount},
      {Area::kCommand, 0, kCommandAddress, kCommandCount},
      {Area::kEchoCommand, 0, kEchoCommandAddress, kEchoCommandCount},
      {Area::kLoggerSettings, 0, kLoggerSettingsAddress, kLoggerSettingsCount},
      {Area::kMaker, 0, kMakerAddress, kMakerCount},
      {Area::kCatalogueA, 0, kCatalogueAAddress, kCatalogueACount},
      {Area::kCatalogueB, 0, kCatalogueBAddress, kCatalogueBCount},
  };
  const auto inside = [start, count](const Span& s) {
    return start >= s.first && start + count <= s.first + s.count;
  };
  for (const Span& s : kFixed) {
    if (inside(s)) return AreaHit{s.area, s.index, s.first, s.count};
  }
  for (int k = 0; k < settings_.configs; ++k) {
    const Span s{Area::kConfig, k, static_cast<std::uint16_t>(kConfigAddress + kConfigStride * k),
                 kConfigCount};
    if (inside(s)) return AreaHit{s.area, s.index, s.first, s.count};
  }
  return std::nullopt;
}

Bytes VirtualUnit::renderClock(double now) const {
  const std::tm tm = unitTime(now);
  return {static_cast<std::uint8_t>(tm.tm_year + 1900 - 2000),
          static_cast<std::uint8_t>(tm.tm_mon + 1),
          static_cast<std::uint8_t>(tm.tm_mday),
          static_cast<std::uint8_t>(tm.tm_hour),
          static_cast<std::uint8_t>(tm.tm_min),
          static_cast<std::uint8_t>(tm.tm_sec)};
}

Bytes VirtualUnit::renderS1() const {
  Bytes b(2 * kS1Count, 0);
  const ConfigBytes& c = blocks_.configs[0];
  put32(b, 0, Totalizers::thousandths(totals_.value(0)));
  put32(b, 4, Totalizers::thousandths(totals_.value(1)));
  put32(b, 8, Totalizers::thousandths(totals_.value(2)));
  put32(b, 12, Totalizers::thousandths(totals_.volume()));
  const int m1 = totals_.mode(0) & 15, m2 = totals_.mode(1) & 15, m3 = totals_.mode(2) & 15;
  const int volumeMode = static_cast<int>(TotalizerMode::kNet);
  put8(b, 16, (m1 << 4) | m2);
  put8(b, 17, (m3 << 4) | volumeMode);
  put8(b, 18, get8(c, cfg::kFlowUnit));
  put8(b, 19, get8(c, cfg::kChords));
  put8(b, 20, get8(c, cfg::kKhType));
  const bool hasLogger = settings_.configs == 18;
  put8(b, 21, hasLogger ? 1 : 0);
  put16(b, 22, get8(c, cfg::kProbe));
  put8(b, 24, (m1 != 0 && m2 != 0) ? static_cast<int>(TotalizerMode::kNet) : 0);
  put16(b, 32, hasLogger ? logger_.capacity() : 0);
  putFloat(b, 34, getS24(c, cfg::kDiameter) / 10.0);
  std::memcpy(&b[40], kDisplayVersion, 14);
  std::memcpy(&b[54], kVovVersion, 10);
  put8(b, 64, settings_.echoKinds == 2 ? 1 : 0);
  return b;
}

Bytes VirtualUnit::renderM1(double now) {
  Bytes b(2 * kM1Count, 0);
  const Snapshot s = model_.at(now);
  put16(b, 0, reread_);
  putFloat(b, 2, s.flow);
  putFloat(b, 6, s.velocity);
  for (int i = 0; i < 3; ++i) put32(b, 10 + 4 * i, Totalizers::whole(totals_.value(i)));
  put32(b, 22, Totalizers::whole(totals_.volume()));
  put32(b, 26, Totalizers::whole(totals_.value(0)) - Totalizers::whole(totals_.value(1)));
  put16(b, 30, s.status);
  putFloat(b, 32, s.sound);
  putFloat(b, 36, s.kh);
  putDate(b, 40, unitTime(now));
  const bool hasLogger = settings_.configs == 18;
  const long filled = hasLogger ? logger_.filled() : 0;
  put16(b, 46, filled);
  if (filled > 0) {
    const auto last = logger_.record(filled - 1);
    std::tm tm{};
    tm.tm_mon = (last[1] & 0x0F) - 1;
    tm.tm_year = last[2] + 100;
    tm.tm_mday = last[3];
    tm.tm_hour = last[4];
    tm.tm_min = last[5];
    tm.tm_sec = last[6];
    putDate(b, 48, tm);
    std::copy_n(last.begin() + 8, 4, b.begin() + 54);
  } else {
    putDate(b, 48, unitTime(now));
  }
  putFloat(b, 58, s.t1);
  putFloat(b, 62, s.t2);
  putFloat(b, 66, s.dt);
  putFloat(b, 70, s.power);
  const auto trend = model_.trend(now);
  for (int i = 0; i < 100; ++i) b[74 + i] = static_cast<std::uint8_t>(trend[i]);
  return b;
}

Bytes VirtualUnit::renderM2(double now) {
  Bytes b(2 * kM2Count, 0);
  const Snapshot s = model_.at(now);
  put16(b, 0, reread_);
  for (int k = 0; k < s.chords; ++k) {
    const ChordValues& v = s.chord[k];
    put8(b, 2 + k, v.gain);
    const int at = 8 + 16 * k;
    putFloat(b, at, v.deltaT);
    putFloat(b, at + 4, v.transit);
    putFloat(b, at + 8, v.velocity);
    putFloat(b, at + 12, v.sound);
  }
  return b;
}

Bytes VirtualUnit::readBlock(const AreaHit& hit, double now) {
  switch (hit.area) {
    case Area::kS1:
      return renderS1();
    case Area::kM1:
      return renderM1(now);
    case Area::kM2:
      return renderM2(now);
    case Area::kConfig: {
      const auto& c = blocks_.configs[hit.index];
      return Bytes(c.begin(), c.end());
    }
    case Area::kFactory:
      return Bytes(blocks_.factory.begin(), blocks_.factory.end());
    case Area::kClock:
      return renderClock(now);
    case Area::kCommand:
      return Bytes(2 * kCommandCount, 0);
    case Area::kEchoCommand:
      return Bytes(echoCommand_.begin(), echoCommand_.end());
    case Area::kLoggerSettings:
      return Bytes(blocks_.logger.begin(), blocks_.logger.end());
    case Area::kMaker:
      return Bytes(blocks_.maker.begin(), blocks_.maker.end());
    case Area::kCatalogueA:
      return catalogueBlockA(catalogue_);
    case Area::kCatalogueB:
      return catalogueBlockB(catalogue_, settings_.unitCode);
  }
  return {};
}

Bytes VirtualUnit::readRegisters(std::uint16_t start, int count, std::uint8_t& exception,
                                 double now) {
  if (count < 1 || count > kMaxReadCount) {
    exception = kIllegalValue;
    return {};
  }
  if (start >= kEchoPartAddress && start < kEchoPartAddress + kEchoParts) {
    return readEchoPart(start - kEchoPartAddress, count, exception, now);
  }
  const auto hit = findArea(start, count);
  if (!hit) {
    exception = kIllegalAddress;
    return {};
  }
  const Bytes block = readBlock(*hit, now);
  const auto from = static_cast<std::ptrdiff_t>(2 * (start - hit->first));
  Bytes data(block.begin() + from, block.begin() + from + 2 * count);

  // The static blocks have been read: the master is up to date again.
  if (start == kS1Address && count == kS1Count) s1Seen_ = true;
  if (start == kS2Address && count == kS2Count) s2Seen_ = true;
  if (s1Seen_ && s2Seen_) reread_ = 0;
  return data;
}

Bytes VirtualUnit::readEchoPart(int part, int count, std::uint8_t& exception, double now) {
  const int partCount = part == kEchoParts - 1 ? kEchoLastPartCount : kEchoPartBytes / 2;
  if (count > partCount) {
    exception = kIllegalAddress;
    return {};
  }
  // A picture is taken when its first part is read; the other parts come from
  // the same picture, so the five reads make one consistent image.
  if (part == 0 || !echoImage_) {
    const Snapshot s = model_.at(now);
    echoImage_ = renderEcho(echoCommand_[0], s, model_.noise(60, now, 0.5));
  }
  const int from = kEchoPartBytes * part;
  return Bytes(echoImage_->begin() + from, echoImage_->begin() + from + 2 * count);
}

Bytes VirtualUnit::readRecords(std::uint16_t start, int count, std::uint8_t& exception) {
  if (settings_.configs != 18) {
    exception = kIllegalFunction;
    return {};
  }
  const int size = logger_.recordBytes();
  if (count < 1 || count * size > 255) {
    exception = kIllegalValue;
    return {};
  }
  Bytes data;
  for (long i = start; i < static_cast<long>(start) + count; ++i) {
    if (i < logger_.filled()) {
      const auto r = logger_.record(i);
      data.insert(data.end(), r.begin(), r.end());
    } else {
      const Bytes e = emptyRecord(size);
      data.insert(data.end(), e.begin(), e.end());
    }
  }
  return data;
}

bool VirtualUnit::writeRegisters(std::uint16_t start, int count, std::span<const std::uint8_t> data,
                                 std::uint8_t& exception, double now) {
  const auto hit = findArea(start, count);
  if (!hit || !writable(hit->area)) {
    exception = kIllegalAddress;
    return false;
  }
  const auto offset = static_cast<std::size_t>(2 * (start - hit->first));
  auto merge = [&](std::span<std::uint8_t> block) {
    std::copy(data.begin(), data.end(), block.begin() + static_cast<std::ptrdiff_t>(offset));
  };
  switch (hit->area) {
    case Area::kConfig: {
      merge(blocks_.configs[hit->index]);
      if (hit->index == 0) {
        totals_.advance(model_, now);
        applyConfiguration();
      }
      pendingLogStatus_ |= status::kCalibrationAccess;
      setRereadFlag();
      saveState();
      return true;
    }
    case Area::kFactory: {
      merge(blocks_.factory);
      totals_.advance(model_, now);
      applyConfiguration();
      pendingLogStatus_ |= status::kCalibrationAccess;
      echoImage_.reset();
      setRereadFlag();
      saveState();
      return true;
    }
    case Area::kMaker: {
      merge(blocks_.maker);
      applyConfiguration();
      saveState();
      return true;
    }
    case Area::kLoggerSettings: {
      LoggerSettingsBytes next = blocks_.logger;
      merge(next);
      bool valid =
          get8(next, logset::kPeriod) < kPeriodSeconds.size() && get8(next, logset::kType) <= 1;
      for (int i = 0; i < 8; ++i) valid = valid && get8(next, logset::kParam2 + i) <= 38;
      if (!valid) {
        exception = kIllegalValue;
        return false;
      }
      const bool typeChanged = next[logset::kType] != blocks_.logger[logset::kType];
      blocks_.logger = next;
      // Records of two sizes cannot share the memory: a new type starts empty.
      if (typeChanged) configureLogger();
      lastRecordTime_ = now;
      setRereadFlag();
      saveState();
      return true;
    }
    case Area::kClock: {
      Bytes clock = renderClock(now);
      merge(clock);
      const int year = 2000 + clock[0], month = clock[1], day = clock[2];
      if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || clock[3] > 23 ||
          clock[4] > 59 || clock[5] > 59) {
        exception = kIllegalValue;
        return false;
      }
      std::tm tm{};
      tm.tm_year = year - 1900;
      tm.tm_mon = month - 1;
      tm.tm_mday = day;
      tm.tm_hour = clock[3];
      tm.tm_min = clock[4];
      tm.tm_sec = clock[5];
      clockOffset_ = static_cast<double>(timegm(&tm)) - std::floor(localCalendarSeconds(now));
      return true;
    }
    case Area::kCommand: {
      Bytes command(2 * kCommandCount, 0);
      merge(command);
      totals_.advance(model_, now);
      for (int i = 0; i < 3; ++i) {
        if (get16(command, 2 * i) == 1) totals_.reset(i);
      }
      if (get16(command, 6) == 1) {
        logger_.clear();
        lastRecordTime_ = now;
        setRereadFlag();
      }
      return true;
    }
    case Area::kEchoCommand: {
      merge(echoCommand_);
      echoImage_.reset();
      return true;
    }
    default:
      break;
  }
  exception = kIllegalAddress;
  return false;
}

std::optional<Bytes> VirtualUnit::handle(std::span<const std::uint8_t> frame) {
  if (frame.size() < 4 || !crcMatches(frame)) return std::nullopt;
  const std::uint8_t requestAddress = frame[0];
  const int own = address();
  if (requestAddress != own && requestAddress != 0) return std::nullopt;
  const std::uint8_t replyAddress =
      requestAddress != 0 ? requestAddress : static_cast<std::uint8_t>(own);
  const std::uint8_t function = frame[1];
  const std::size_t length = frame.size() - 2;  // without the CRC

  const double now = clock_();
  growLogger(now);
  totals_.advance(model_, now);

  std::uint8_t exception = 0;
  Bytes reply{replyAddress, function};
  switch (function) {
    case 3:
    case 4: {
      if (length != 6) {
        exception = kIllegalValue;
        break;
      }
      const auto start = static_cast<std::uint16_t>(get16(frame, 2));
      const int count = static_cast<int>(get16(frame, 4));
      const Bytes data = function == 3 ? readRegisters(start, count, exception, now)
                                       : readRecords(start, count, exception);
      if (exception) break;
      reply.push_back(static_cast<std::uint8_t>(data.size()));
      reply.insert(reply.end(), data.begin(), data.end());
      break;
    }
    case 16: {
      const auto start = static_cast<std::uint16_t>(get16(frame, 2));
      const int count = length >= 6 ? static_cast<int>(get16(frame, 4)) : 0;
      if (length < 7 || count < 1 || count > kMaxWriteCount || frame[6] != 2 * count ||
          length != 7u + frame[6]) {
        exception = kIllegalValue;
        break;
      }
      if (!writeRegisters(start, count, frame.subspan(7, frame[6]), exception, now)) break;
      reply.insert(reply.end(), frame.begin() + 2, frame.begin() + 6);
      break;
    }
    default:
      exception = kIllegalFunction;
      break;
  }
  if (exception) return exceptionReply(replyAddress, function, exception);
  appendCrc(reply);
  return reply;
}

}  // namespace flowdesk::unit
