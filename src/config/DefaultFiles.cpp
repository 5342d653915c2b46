// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/DefaultFiles.h"

#include "config/CalibrationFile.h"
#include "config/FactoryFile.h"
#include "config/MakerFile.h"
#include "config/SpecialProbeFile.h"

namespace flowdesk {

FileResult writeDefaultFile(FileKind kind, const std::string& path, const AppSettings& settings) {
  switch (kind) {
    case FileKind::Calibration:
      return writeCalibrationFile(path, defaultCalibrationFile(settings));
    case FileKind::FactorySettings:
      return writeFactoryFile(path, defaultFactoryFile());
    case FileKind::MakerSettings:
      return writeMakerFile(path, defaultMakerFile());
    case FileKind::SpecialProbe:
      return writeSpecialProbeFile(path, defaultSpecialProbe());
    case FileKind::Measurement:
    case FileKind::Logger:
    case FileKind::Echo:
      break;
  }
  return FileResult::failure(FileStatus::UnknownKind, path);
}

}  // namespace flowdesk
