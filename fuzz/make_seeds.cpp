// SPDX-License-Identifier: GPL-3.0-or-later
// Starting corpora for the fuzz targets: valid files and replies of every
// kind, made by the program's own writers and maps, so that mutation starts
// from what a unit and the program really produce.
//
//   flowdesk-fuzz-seeds DIR     writes DIR/<target>/<seed> for every target
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "base/BuiltinProbeCatalogue.h"
#include "base/IdentificationCache.h"
#include "config/CalibrationFile.h"
#include "config/FactoryFile.h"
#include "config/MakerFile.h"
#include "config/SpecialProbeFile.h"
#include "echo/EchoFile.h"
#include "link/BlockMaps.h"
#include "link/Blocks.h"
#include "link/Crc16.h"
#include "link/FieldMap.h"
#include "logger/LoggerFile.h"
#include "logger/LoggerRecord.h"
#include "measure/MeasurementFile.h"
#include "unit/StateFile.h"

namespace fs = std::filesystem;
using namespace flowdesk;

namespace {

fs::path g_root;

void put(const std::string& target, const std::string& name, const Bytes& bytes) {
  const fs::path folder = g_root / target;
  fs::create_directories(folder);
  std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

void put(const std::string& target, const std::string& name, const std::string& text) {
  put(target, name, Bytes(text.begin(), text.end()));
}

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

void appendCrc(Bytes& frame) {
  const std::uint16_t crc = crc16(frame.data(), static_cast<std::uint16_t>(frame.size()));
  frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

// The default data bytes of a block, as its map encodes them.
Bytes blockDefaults(const FieldMap& map) {
  std::array<std::uint8_t, kRequestDataSize> area{};
  encodeDefaults(map, area.data());
  return Bytes(area.begin(), area.begin() + static_cast<long>(map.byteCount));
}

// A whole function-3 answer carrying `data`.
Bytes readAnswer(const Bytes& data) {
  Bytes frame{1, 3, static_cast<std::uint8_t>(data.size())};
  frame.insert(frame.end(), data.begin(), data.end());
  appendCrc(frame);
  return frame;
}

Bytes loggerRecord(std::size_t size, int n) {
  Bytes r(size, 0);
  r[0] = static_cast<std::uint8_t>(n % 3);            // point
  r[1] = static_cast<std::uint8_t>(0x80 | 0x20 | 5);  // marked, unit 2, May
  r[2] = 24;                                          // 2024
  r[3] = static_cast<std::uint8_t>(1 + n % 28);       // day
  r[4] = 13, r[5] = 37, r[6] = static_cast<std::uint8_t>(n % 60);
  r[8] = 0x41, r[9] = 0x20;  // flow 10.0
  r[12] = 55;
  for (int s = 0; s < loggerSlotCount(size); ++s) {
    const std::size_t base = kLoggerSlotOffset + kLoggerSlotSize * static_cast<std::size_t>(s);
    r[base] = static_cast<std::uint8_t>((s % 4) << 6 | (s + 1));
    r[base + 1] = 0x3F, r[base + 2] = 0x80;
    r[base + 5] = static_cast<std::uint8_t>((s & 1) << 7 | 42);
  }
  return r;
}

void seedFiles() {
  IdentificationCache id;
  id.probes = builtinProbeCatalogue();
  id.FSp1 = 3, id.FSp2 = 4, id.T0Sp1 = 12, id.T0Sp2 = 250;
  const Bytes eta = calibrationFileBytes(defaultCalibrationFile(id));
  put("calibration_file", "default.eta", eta);
  put("calibration_file", "short-block.eta", Bytes(eta.begin(), eta.end() - 60));

  const Bytes rus = factoryFileBytes(defaultFactoryFile());
  put("factory_file", "default.rus", rus);
  put("factory_file", "short-block.rus",
      concat({{20, 0}, Bytes(rus.begin() + 2, rus.begin() + 22)}));

  put("maker_file", "default.nvd", makerFileBytes(defaultMakerFile()));
  SpecialProbe probe = defaultSpecialProbe();
  put("special_probe_file", "default.csp540", specialProbeFileBytes(probe));
  probe.name = "Éé°ÿ";
  probe.angle = 45.67f, probe.frequency = 3, probe.t0 = 12.3f;
  put("special_probe_file", "latin1.csp540", specialProbeFileBytes(probe));

  // A recording of three polls.
  DeviceImage image;
  MeasurementRecord record;
  record.frames[kFrameS2] = readAnswer(blockDefaults(s2Map(image)));
  record.frames[kFrameS1] = readAnswer(blockDefaults(s1Map(image)));
  record.frames[kFrameM1] = readAnswer(blockDefaults(m1Map(image)));
  record.frames[kFrameM2] = readAnswer(blockDefaults(m2Map(image)));
  Bytes mes = measurementHeaderBytes(id);
  for (int i = 0; i < 3; ++i) {
    for (std::size_t f = 0; f < kFrameCount; ++f) {
      Bytes frame = record.frames[f];
      if (frame.size() > 8) frame[3 + static_cast<std::size_t>(i)] ^= 0x11;
      frame.resize(frame.size() - 2);
      appendCrc(frame);
      mes.insert(mes.end(), frame.begin(), frame.end());
    }
  }
  put("measurement_file", "three-polls.mes", mes);

  for (std::size_t size : {kLoggerRecordSize4, kLoggerRecordSize9}) {
    Bytes log;
    putLe16(log, static_cast<std::uint16_t>(size + kLoggerStoredPrefix));
    for (int n = 0; n < 4; ++n) {
      log.insert(log.end(), {1, 4, static_cast<std::uint8_t>(size)});
      const Bytes r = loggerRecord(size, n);
      log.insert(log.end(), r.begin(), r.end());
    }
    put("logger_file", "records-" + std::to_string(size) + ".log", log);
    put("logger_file", "bare-record-" + std::to_string(size), loggerRecord(size, 7));
  }

  Bytes ech;
  putLe16(ech, kEchoImageBytes);
  for (int i = 0; i < 2 * kEchoImageBytes; ++i) ech.push_back(static_cast<std::uint8_t>(i * 7));
  put("echo_file", "two-pictures.ech", ech);
}

void seedLink() {
  DeviceImage image;
  const FieldMap maps[] = {s1Map(image),
                           s2Map(image),
                           m1Map(image),
                           m2Map(image),
                           configurationMap(image),
                           factoryMap(image),
                           clockMap(image),
                           loggerSettingsMap(image),
                           makerMap(image)};
  int n = 0;
  for (const FieldMap& map : maps) {
    const Bytes data = blockDefaults(map);
    const std::string name = "block-" + std::to_string(n++);
    put("decode_reply", name, data);
    const auto registers = static_cast<std::uint8_t>(map.byteCount / 2);
    // Function 3 (selector 0) for the block's register count.
    put("reply_check", name, concat({{0, 0, registers}, readAnswer(data)}));
    put("exchange", name, concat({{0, registers, 5, 1, 1, 4}, readAnswer(data)}));
  }
  // A logger answer (function 4), a write echo (16) and an exception reply.
  Bytes f4{1, 4, 31};
  const Bytes r = loggerRecord(kLoggerRecordSize4, 1);
  f4.insert(f4.end(), r.begin(), r.end());
  appendCrc(f4);
  put("reply_check", "function-4", concat({{1, 0, 1}, f4}));
  put("exchange", "function-4", concat({{1, 1, 5, 2, 3, 4}, f4}));
  Bytes f16{1, 16, 0x01, 0x00, 0x00, 0x06};
  appendCrc(f16);
  put("reply_check", "function-16", concat({{2, 0, 6}, f16}));
  put("exchange", "function-16", concat({{2, 6, 3, 0, 0, 4}, f16}));
  Bytes exception{1, 0x83, 2};
  appendCrc(exception);
  put("reply_check", "exception", concat({{0, 0, 3}, exception}));
  put("exchange", "exception-slow", concat({{0, 3, 0, 30, 50, 5}, exception}));
}

// The screens: the spreadsheet conversion of recorded files, COMPARE, and
// the sessions against the scripted far end (fuzz/ScriptedUnit.h), where a
// zero byte is the unit's true answer and, between ticks, no press.
void seedScreens() {
  const fs::path files = g_root;
  for (const auto& [kind, source] :
       {std::pair{0, "measurement_file/three-polls.mes"},
        std::pair{1, "logger_file/records-31.log"}, std::pair{1, "logger_file/records-62.log"}}) {
    std::ifstream in(files / source, std::ios::binary);
    const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (std::uint8_t passes : {0, 6}) {
      put("spreadsheet_conversion",
          fs::path(source).filename().string() + "-" + std::to_string(passes),
          concat({{static_cast<std::uint8_t>(kind | passes)}, file}));
    }
  }

  DeviceImage image;
  for (const auto& [kind, map] :
       {std::pair{0, configurationMap(image)}, std::pair{1, factoryMap(image)}}) {
    const Bytes a = blockDefaults(map);
    Bytes b = a;
    for (std::size_t i = 0; i < b.size(); i += 7) b[i] = static_cast<std::uint8_t>(b[i] + 1);
    const std::string name = kind == 0 ? "configuration" : "factory";
    put("comparison_report", name + "-defaults",
        concat({{static_cast<std::uint8_t>(kind), 40}, a, a}));
    put("comparison_report", name + "-changed",
        concat({{static_cast<std::uint8_t>(kind | 6), 13}, a, b}));
  }

  // Sixteen ticks of good answers; then with a recording, a silence and a
  // spoiled reply on the way.
  put("measurement_session", "good-polls", Bytes(1 + 16 * 5, 0));
  Bytes recorded{2};
  for (int t = 0; t < 16; ++t) {
    recorded.insert(recorded.end(), {static_cast<std::uint8_t>(t == 2    ? 1
                                                               : t == 12 ? 2
                                                                         : 0),
                                     0, 0,
                                     static_cast<std::uint8_t>(t == 5   ? 1
                                                               : t == 7 ? 3
                                                                        : 0),
                                     0});
  }
  put("measurement_session", "recorded", recorded);

  // A logger of 32 records (a page and a bit): the page, then a download.
  for (std::uint8_t type : {0, 2}) {
    Bytes viewer{static_cast<std::uint8_t>(0x40 | type), 0, 0, 0};
    for (int t = 0; t < 24; ++t) {
      viewer.insert(viewer.end(), {static_cast<std::uint8_t>(t == 6 ? 6 : t == 1 ? 1 : 0), 0});
    }
    put("logger_session", "page-and-download-" + std::to_string(type), viewer);
  }

  // Pictures read whole, another screen chosen, recorded, then the close.
  Bytes echo{0};
  for (int t = 0; t < 24; ++t) {
    const std::uint8_t presses = t == 1 ? 1 : t == 8 ? 4 : t == 20 ? 8 : 0;
    echo.push_back(presses);
    if (presses == 4) echo.push_back(3);
    echo.insert(echo.end(), {0, 0});
  }
  put("echo_session", "pictures", echo);

  // Every upload screen with good answers: the calibration with its clock,
  // resets and every configuration, from the unit and from a file.
  for (std::uint8_t setup : {0, 1, 2, 3, 8, 9, 0x19}) {
    put("upload_session", "screen-" + std::to_string(setup), Bytes{setup, 0x1F, 1, 0, 0, 0});
  }
}

void seedUnitState() {
  unit::StoredBlocks blocks;
  for (std::size_t i = 0; i < blocks.factory.size(); ++i) {
    blocks.factory[i] = static_cast<std::uint8_t>(i);
  }
  put("unit_state", "state", unit::formatState(blocks));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  g_root = argv[1];
  seedFiles();
  seedLink();
  seedUnitState();
  seedScreens();
  return 0;
}
