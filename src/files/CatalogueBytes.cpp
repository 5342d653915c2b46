// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/CatalogueBytes.h"

#include <string>

#include "base/Windows1252.h"

namespace flowdesk {

void putCatalogue(Bytes& out, const ProbeCatalogue& catalogue) {
  for (const ProbeEntry& probe : catalogue) {
    // A name longer than the field keeps its first 8 bytes; shorter names are
    // filled with zero bytes, so readers stop at the first zero.
    std::string name = toWindows1252(probe.name);
    for (std::size_t i = 0; i < kProbeNameBytes; ++i) {
      out.push_back(i < name.size() ? static_cast<std::uint8_t>(name[i]) : 0);
    }
    putLe16(out, static_cast<std::uint16_t>(probe.angle));
  }
}

void putSpecialProbeWords(Bytes& out, const IdentificationCache& cache) {
  putLe16(out, static_cast<std::uint16_t>(cache.FSp1));
  putLe16(out, static_cast<std::uint16_t>(cache.FSp2));
  putLe16(out, static_cast<std::uint16_t>(cache.T0Sp1));
  putLe16(out, static_cast<std::uint16_t>(cache.T0Sp2));
}

std::size_t readIdentificationBytes(std::span<const std::uint8_t> bytes, IdentificationCache& out) {
  LeReader reader(bytes);
  for (ProbeEntry& probe : out.probes) {
    std::span<const std::uint8_t> record;
    if (!reader.take(kProbeRecordBytes, record)) return reader.position();
    probe.name = fromWindows1252Field(record.data(), kProbeNameBytes);
    probe.angle = static_cast<std::int16_t>(record[8] | (record[9] << 8));
  }
  std::int16_t* words[] = {&out.FSp1, &out.FSp2, &out.T0Sp1, &out.T0Sp2};
  for (std::int16_t* word : words) {
    std::uint16_t value = 0;
    if (!reader.u16(value)) break;
    *word = static_cast<std::int16_t>(value);
  }
  return reader.position();
}

void applyFileIdentification(const IdentificationCache& fromFile, IdentificationCache& cache) {
  cache.probes = fromFile.probes;
  cache.FSp1 = fromFile.FSp1;
  cache.FSp2 = fromFile.FSp2;
  cache.T0Sp1 = fromFile.T0Sp1;
  cache.T0Sp2 = fromFile.T0Sp2;
}

}  // namespace flowdesk
