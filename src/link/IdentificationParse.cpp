// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/IdentificationParse.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "base/Bytes.h"
#include "base/Windows1252.h"

namespace flowdesk {

namespace {
constexpr std::size_t kNameBytes = 8;

std::int16_t clampToWord(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0));
}
}  // namespace

ProbeEntry decodeProbeRecord(const std::uint8_t* record) {
  ProbeEntry entry;
  entry.name = fromWindows1252Field(record, kNameBytes);
  const std::uint16_t word = get16({record, kNameBytes + 2}, 8);
  entry.angle = static_cast<std::int16_t>(word);
  return entry;
}

void encodeProbeRecord(const ProbeEntry& entry, std::uint8_t* record) {
  std::memset(record, 0, kProbeRecordSize);
  const std::string bytes = toWindows1252(entry.name);
  std::memcpy(record, bytes.data(), std::min(bytes.size(), kNameBytes));
  const auto word = static_cast<std::uint16_t>(entry.angle);
  record[8] = static_cast<std::uint8_t>(word >> 8);
  record[9] = static_cast<std::uint8_t>(word & 0xFF);
}

void parseCatalogueLow(const std::uint8_t* data, ProbeCatalogue& catalogue) {
  for (int i = 0; i < kProbesInLowRead; ++i) {
    catalogue[i] = decodeProbeRecord(data + kProbeRecordSize * i);
  }
}

void parseCatalogueHigh(const std::uint8_t* data, IdentificationCache& cache) {
  for (int i = 0; i < kProbesInHighRead; ++i) {
    cache.probes[kProbesInLowRead + i] = decodeProbeRecord(data + kProbeRecordSize * i);
  }
  cache.Unit = data[kUnitCodeByte];
}

void encodeCatalogueLow(const ProbeCatalogue& catalogue, std::uint8_t* data) {
  for (int i = 0; i < kProbesInLowRead; ++i) {
    encodeProbeRecord(catalogue[i], data + kProbeRecordSize * i);
  }
}

void encodeCatalogueHigh(const IdentificationCache& cache, std::uint8_t* data) {
  for (int i = 0; i < kProbesInHighRead; ++i) {
    encodeProbeRecord(cache.probes[kProbesInLowRead + i], data + kProbeRecordSize * i);
  }
  data[kUnitCodeByte] = static_cast<std::uint8_t>(cache.Unit);
  data[kUnitCodeByte + 1] = 0;
}

std::int16_t t0Tenths(float t0) {
  const float product = t0 * 10.0f;
  return clampToWord(std::trunc(static_cast<double>(product)));
}

void applySpecialProbeWords(const DeviceImage& image, IdentificationCache& cache) {
  const auto& sp = image.factory.specialProbes;
  cache.T0Sp1 = t0Tenths(sp[0].t0);
  cache.T0Sp2 = t0Tenths(sp[1].t0);
  cache.FSp1 = static_cast<std::int16_t>(sp[0].frequency);
  cache.FSp2 = static_cast<std::int16_t>(sp[1].frequency);
}

}  // namespace flowdesk
