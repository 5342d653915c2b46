// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/RegisterTables.h"

#include <algorithm>

#include "base/Windows1252.h"

namespace flowdesk::unit {

ConfigBytes defaultConfiguration() {
  ConfigBytes c{};
  using namespace cfg;
  put8(c, kMounting, 1);
  put8(c, kChords, 1);
  put8(c, kDiameterType, 0);
  put24(c, kDiameter, 261);
  put8(c, kFlowUnit, 4);
  put8(c, kKhType, 0);
  put16(c, kKh, 1055);
  put8(c, kProduct, 0);
  put16(c, kViscosity, 10);
  put16(c, kRoughness, 10);
  put8(c, kMaterial, 6);
  put16(c, kWall, 9);
  put16(c, kC0, 1500);
  put16(c, kDeltaC, 200);
  put8(c, kFilter, 5);
  put16(c, kMemory, 10);
  put8(c, kGraphPeriod, 0);
  put24(c, kQMin, 0);
  put24(c, kQMax, 100);
  put8(c, kTot1Type, 1);
  put24(c, kTot1Weight, 100);
  put8(c, kTot2Type, 0);
  put24(c, kTot2Weight, 100);
  put8(c, kTot3Type, 0);
  put24(c, kTot3Weight, 100);
  for (int r = 0; r < 4; ++r) put8(c, kRelay1 + r, 0);
  put8(c, kProbe, 2);
  put8(c, kCurrentOutput, 0);
  put8(c, kPulseWidth, 11);
  for (int r = 0; r < 4; ++r) put24(c, kThreshold1 + 3 * r, 1000);
  for (int k = 0; k < 6; ++k) {
    const int at = kChord1 + kChordStride * k;
    put24(c, at + kChordLength, 2828);
    put24(c, at + kChordAxial, 2000);
    put16(c, at + kChordCi, 500);
    put16(c, at + kChordDeltaT0, 0);
  }
  return c;
}

FactoryBytes defaultFactory(int jbusAddress) {
  FactoryBytes f{};
  using namespace fac;
  put8(f, kPolarity, 0);
  put8(f, kFunction, 0);
  put16(f, kDeltaTCut, 0);
  put8(f, kEr2, 0);
  put8(f, kJbus, jbusAddress);
  put8(f, kDisplayInversion, 1);
  put24(f, kSimFlow, 90);
  put8(f, kSimRipple, 10);
  put16(f, kSp1Angle, 0);
  put8(f, kSp1T0, 0);
  put8(f, kSp1Freq, 5);
  put16(f, kSp2Angle, 0);
  put8(f, kSp2T0, 0);
  put8(f, kSp2Freq, 5);
  std::fill_n(f.begin() + kSp1Text, 6, ' ');
  std::fill_n(f.begin() + kSp2Text, 6, ' ');
  put16(f, kQRef, 0);
  put8(f, kQRefUnit, 4);
  for (int i = 0; i <= 10; ++i) put16(f, kLinear + 2 * i, 1000);
  put8(f, kBacklight, 0);
  put8(f, kVideo, 0);
  put8(f, kExtCoef, 10);
  put8(f, kLanguage, 0);
  put8(f, kContrast, 50);
  put8(f, kResume, 0);
  return f;
}

MakerBytes defaultMaker() {
  MakerBytes m{};
  using namespace mak;
  put8(m, kSerial1, 1);
  put8(m, kSerial2, 94);
  put16(m, kSerial3, 1);
  put16(m, kPoint4mA, 11000);
  put16(m, kPoint20mA, 55000);
  put8(m, kVariant, 1);
  return m;
}

LoggerSettingsBytes defaultLoggerSettings(int loggerType) {
  // A 5-minute period at point 1, logging a totalizer (integer slot), the
  // velocity (real slot) and the status word first, so a 4-parameter record
  // already carries one slot of each kind.
  LoggerSettingsBytes l{};
  put8(l, logset::kPeriod, 6);
  put8(l, logset::kPoint, 1);
  put8(l, logset::kType, loggerType ? 1 : 0);
  const std::uint8_t params[8] = {1, 8, 20, 15, 17, 18, 16, 27};
  for (int i = 0; i < 8; ++i) put8(l, logset::kParam2 + i, params[i]);
  return l;
}

namespace {

struct NamedProbe {
  const char* utf8Name;
  std::uint16_t angle;
};

// Wetted probes have no angle; clamp-on probes carry theirs in hundredths of a
// degree. The last six entries are left empty, as on a unit with a short list.
constexpr NamedProbe kProbes[] = {
    {"Insér.1M", 0},    {"Insér.2M", 0},    {"Insér.5M", 0},    {"Tube 1M", 0},
    {"Tube 2M", 0},     {"Pince 1M", 3650}, {"Pince 2M", 3650}, {"Pince 4M", 4200},
    {"PinceHT1", 3000}, {"PinceHT2", 3000}, {"Sab.500k", 0},    {"Sab.1M", 0},
    {"Ext 1M", 4500},   {"Ext 2M", 4500},   {"Fond 1M", 0},     {"Fond 2M", 0},
    {"Coll.1M", 0},     {"Coll.2M", 0},     {"Rail 1M", 2500},  {"Rail 2M", 2500},
    {"Béton1M", 0},     {"Spéc.45°", 4500},
};

std::string specialName(const FactoryBytes& f, int textAt, const char* fallbackUtf8) {
  std::string text(f.begin() + textAt, f.begin() + textAt + 6);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
  if (text.empty()) return toWindows1252(fallbackUtf8);
  return "SP" + text;
}

void putRecords(Bytes& out, const Catalogue& c, int first, int count) {
  for (int i = first; i < first + count; ++i) {
    std::uint8_t rec[10] = {};
    const std::string& name = c[i].name;
    std::copy_n(name.begin(), std::min<std::size_t>(name.size(), 8), rec);
    put16(rec, 8, c[i].angle);
    out.insert(out.end(), rec, rec + 10);
  }
}

}  // namespace

Catalogue probeCatalogue(const FactoryBytes& factory) {
  Catalogue c{};
  c[0] = {specialName(factory, fac::kSp1Text, "SP N°1"),
          static_cast<std::uint16_t>(get16(factory, fac::kSp1Angle))};
  c[1] = {specialName(factory, fac::kSp2Text, "SP N°2"),
          static_cast<std::uint16_t>(get16(factory, fac::kSp2Angle))};
  int i = 2;
  for (const auto& p : kProbes) c[i++] = {toWindows1252(p.utf8Name), p.angle};
  return c;
}

Bytes catalogueBlockA(const Catalogue& catalogue) {
  Bytes out;
  putRecords(out, catalogue, 0, 20);
  return out;
}

Bytes catalogueBlockB(const Catalogue& catalogue, int unitCode) {
  Bytes out;
  putRecords(out, catalogue, 20, 10);
  out.push_back(static_cast<std::uint8_t>(unitCode));
  out.push_back(0);
  return out;
}

}  // namespace flowdesk::unit
