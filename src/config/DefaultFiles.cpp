// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/DefaultFiles.h"

#include "config/CalibrationFile.h"
#include "config/FactoryFile.h"
#include "config/MakerFile.h"
#include "config/SpecialProbeFile.h"

namespace flowdesk {

FileResult writeDefaultFile(FileKind kind, const std::string& path, const AppSettings& settings) {
  switch (kind) {
    case FileKind::kCalibration:
      return writeCalibrationFile(path, defaultCalibrationFile(settings));
    case FileKind::kFactorySettings:
      return writeFactoryFile(path, defaultFactoryFile());
    case FileKind::kMakerSettings:
      return writeMakerFile(path, defaultMakerFile());
    case FileKind::kSpecialProbe:
      return writeSpecialProbeFile(path, defaultSpecialProbe());
    case FileKind::kMeasurement:
    case FileKind::kLogger:
    case FileKind::kEcho:
      break;
  }
  return FileResult::failure(FileStatus::kUnknownKind, path);
}

}  // namespace flowdesk
