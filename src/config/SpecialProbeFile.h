// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/BinaryFile.h"

namespace flowdesk {

// Special-probe file (".csp540"), 10 bytes: a 6-byte Windows-1252 name
// (zero-padded), the angle x 100 (unsigned, big-endian: the unit's own
// encoding), the frequency index, T0 x 10.
inline constexpr std::size_t kSpecialProbeFileBytes = 10;
inline constexpr std::size_t kSpecialProbeNameBytes = 6;
inline constexpr long long kSpecialProbeFileLimit = readLimitFor(kSpecialProbeFileBytes);

struct SpecialProbe {
  std::string name;            // UTF-8, at most 6 characters
  float angle = 0;             // degrees
  std::int32_t frequency = 0;  // frequency list index
  float t0 = 0;                // µs

  bool operator==(const SpecialProbe&) const = default;
};

// Refuses a file shorter than 10 bytes and one larger than
// kSpecialProbeFileLimit; bytes after the tenth are ignored.
FileResult readSpecialProbeFile(const std::string& path, SpecialProbe& out);
// The same, also telling how many bytes the file held: a file of another
// length than ten is shown, not uploaded.
FileResult readSpecialProbeFileBytes(const std::string& path, SpecialProbe& out,
                                     long long& fileBytes);
FileResult parseSpecialProbeFile(std::span<const std::uint8_t> bytes, const std::string& path,
                                 SpecialProbe& out);
// The angle is rounded half away from zero, T0 truncated (its product taken
// in single precision); both are held to what their bytes can carry.
Bytes specialProbeFileBytes(const SpecialProbe& probe);
FileResult writeSpecialProbeFile(const std::string& path, const SpecialProbe& probe);

// "SP N°1", angle 0, frequency 0, T0 0.
SpecialProbe defaultSpecialProbe();

}  // namespace flowdesk
