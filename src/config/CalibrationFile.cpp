// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/CalibrationFile.h"

#include <algorithm>
#include <array>

#include "files/CatalogueBytes.h"
#include "link/BlockMaps.h"
#include "link/FieldMap.h"

namespace flowdesk {

FileResult parseCalibrationFile(std::span<const std::uint8_t> bytes, const std::string& path,
                                CalibrationFile& out) {
  if (FileResult r =
          checkReadLimit(static_cast<long long>(bytes.size()), kCalibrationFileLimit, path);
      !r.ok()) {
    return r;
  }
  LeReader reader(bytes);
  std::uint16_t format = 0;
  std::uint16_t length = 0;
  std::span<const std::uint8_t> identification;
  if (!reader.u16(format) || !reader.u16(length) ||
      !reader.take(kIdentificationBytes, identification)) {
    return FileResult::sizeFault(FileStatus::kShorterThanHeader, path,
                                 static_cast<long long>(kCalibrationHeaderBytes),
                                 static_cast<long long>(bytes.size()));
  }
  if (length > kConfigurationBytes) {
    return FileResult::sizeFault(FileStatus::kLengthTooLarge, path, length,
                                 static_cast<long long>(kConfigurationBytes));
  }
  std::span<const std::uint8_t> block;
  if (!reader.take(length, block)) {
    return FileResult::sizeFault(FileStatus::kShorterThanData, path,
                                 static_cast<long long>(kCalibrationHeaderBytes + length),
                                 static_cast<long long>(bytes.size()));
  }
  CalibrationFile file;
  file.formatNumber = format;
  readIdentificationBytes(identification, file.identification);
  file.block.assign(block.begin(), block.end());
  out = std::move(file);
  return {};
}

FileResult readCalibrationFile(const std::string& path, CalibrationFile& out) {
  return readParsedFile(path, kCalibrationFileLimit, out, parseCalibrationFile);
}

Bytes calibrationFileBytes(const CalibrationFile& file) {
  Bytes out;
  const std::size_t length = std::min(file.block.size(), kConfigurationBytes);
  putLe16(out, file.formatNumber);
  putLe16(out, static_cast<std::uint16_t>(length));
  putCatalogue(out, file.identification.probes);
  putSpecialProbeWords(out, file.identification);
  putBytes(out, std::span<const std::uint8_t>(file.block.data(), length));
  return out;
}

FileResult writeCalibrationFile(const std::string& path, const CalibrationFile& file) {
  return writeFileAtomic(path, calibrationFileBytes(file));
}

CalibrationFile defaultCalibrationFile(const IdentificationCache& identification) {
  DeviceImage scratch;
  std::array<std::uint8_t, kRequestDataSize> area{};
  encodeDefaults(configurationMap(scratch), area.data());
  CalibrationFile file;
  file.formatNumber = kCalibrationFormatNumber;
  applyFileIdentification(identification, file.identification);
  file.block.assign(area.begin(), area.begin() + kConfigurationBytes);
  return file;
}

}  // namespace flowdesk
