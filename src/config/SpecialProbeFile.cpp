// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/SpecialProbeFile.h"

#include <algorithm>
#include <cmath>

#include "base/Bytes.h"
#include "base/Windows1252.h"
#include "link/FieldMap.h"
#include "link/IdentificationParse.h"

namespace flowdesk {

FileResult parseSpecialProbeFile(std::span<const std::uint8_t> bytes, const std::string& path,
                                 SpecialProbe& out) {
  if (FileResult r =
          checkReadLimit(static_cast<long long>(bytes.size()), kSpecialProbeFileLimit, path);
      !r.ok()) {
    return r;
  }
  if (bytes.size() < kSpecialProbeFileBytes) {
    return FileResult::sizeFault(FileStatus::kTooShort, path,
                                 static_cast<long long>(kSpecialProbeFileBytes),
                                 static_cast<long long>(bytes.size()));
  }
  SpecialProbe probe;
  probe.name = fromWindows1252Field(bytes.data(), kSpecialProbeNameBytes);
  probe.angle = static_cast<float>(get16(bytes, 6)) / 100.0f;
  probe.frequency = bytes[8];
  probe.t0 = static_cast<float>(bytes[9]) / 10.0f;
  out = std::move(probe);
  return {};
}

FileResult readSpecialProbeFile(const std::string& path, SpecialProbe& out) {
  long long fileBytes = 0;
  return readSpecialProbeFileBytes(path, out, fileBytes);
}

FileResult readSpecialProbeFileBytes(const std::string& path, SpecialProbe& out,
                                     long long& fileBytes) {
  return readParsedFile(
      path, kSpecialProbeFileLimit, out,
      [&fileBytes](std::span<const std::uint8_t> bytes, const std::string& p, SpecialProbe& probe) {
        fileBytes = static_cast<long long>(bytes.size());
        return parseSpecialProbeFile(bytes, p, probe);
      });
}

Bytes specialProbeFileBytes(const SpecialProbe& probe) {
  Bytes out;
  std::string name = toWindows1252(utf8Left(probe.name, kSpecialProbeNameBytes));
  for (std::size_t i = 0; i < kSpecialProbeNameBytes; ++i) {
    out.push_back(i < name.size() ? static_cast<std::uint8_t>(name[i]) : 0);
  }
  // Out-of-range values are held at the limits of their bytes rather than
  // wrapped: an angle of 700 must not come back as 44.64.
  // The product is the codec's, so the file and the FactoryBlock agree on
  // every typed angle.
  auto angleWord =
      static_cast<std::uint16_t>(std::clamp<std::int64_t>(scaledRaw(probe.angle, 100), 0, 0xFFFF));
  out.push_back(static_cast<std::uint8_t>(angleWord >> 8));
  out.push_back(static_cast<std::uint8_t>(angleWord & 0xFF));
  out.push_back(static_cast<std::uint8_t>(std::clamp<std::int32_t>(probe.frequency, 0, 0xFF)));
  float t0 = std::isfinite(probe.t0) ? probe.t0 : 0.0f;
  out.push_back(static_cast<std::uint8_t>(
      std::clamp<std::int32_t>(t0Tenths(std::clamp(t0, 0.0f, 25.5f)), 0, 0xFF)));
  return out;
}

FileResult writeSpecialProbeFile(const std::string& path, const SpecialProbe& probe) {
  return writeFileAtomic(path, specialProbeFileBytes(probe));
}

SpecialProbe defaultSpecialProbe() {
  SpecialProbe probe;
  probe.name = "SP N°1";
  return probe;
}

}  // namespace flowdesk
