// SPDX-License-Identifier: GPL-3.0-or-later
// Converting a large measurement file to spreadsheet text, as the conversion
// screen and `flowdesk-cli convert` do: record by record, each line appended
// to the text file as it is made. Prints the records, the lines written and
// the time taken (bar: 100,000 records under 3 s).
//
//   bench_convert_measurement [RECORDS] [--chords N] [--keep DIR]
//
// RECORDS defaults to 100000, N (chords in use) to 6, the most a unit has.
// The files go to a temporary folder, removed afterwards unless --keep
// names a folder to write them to instead.
#include <unistd.h>

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "BenchSupport.h"
#include "ConversionBench.h"
#include "base/BinaryFile.h"
#include "base/Clock.h"
#include "base/RegionalFormat.h"
#include "files/SpreadsheetConversion.h"
#include "link/Blocks.h"
#include "link/Crc16.h"
#include "measure/MeasurementConversion.h"
#include "measure/MeasurementFile.h"

namespace {

using namespace flowdesk;

void putFloat(Bytes& data, std::size_t at, float value) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) data[at + i] = static_cast<std::uint8_t>(bits >> (24 - 8 * i));
}

// A whole answer to a read of `block`, its data filled by `fill`.
template <typename Fill>
Bytes answer(const RegisterBlock& block, Fill fill) {
  Bytes data(static_cast<std::size_t>(block.byteCount()), 0);
  fill(data);
  Bytes frame{1, 3, static_cast<std::uint8_t>(data.size())};
  frame.insert(frame.end(), data.begin(), data.end());
  const std::uint16_t crc = crc16(frame.data(), static_cast<std::uint16_t>(frame.size()));
  frame.push_back(crc & 0xFF);
  frame.push_back(crc >> 8);
  return frame;
}

// Record i: moving flows and chord values, the clock a second further on.
MeasurementRecord recordAt(long i, int chords) {
  MeasurementRecord r;
  const float t = static_cast<float>(i);
  r.frames[kFrameS2] = answer(kS2Block, [](Bytes& d) { d[5] = 100; });
  r.frames[kFrameS1] = answer(kS1Block, [&](Bytes& d) {
    d[18] = 4;
    d[19] = static_cast<std::uint8_t>(chords);
  });
  r.frames[kFrameM1] = answer(kM1Block, [&](Bytes& d) {
    putFloat(d, 2, 12.345f + t * 0.001f);
    putFloat(d, 6, 1.25f);
    putFloat(d, 32, 1480.5f);
    d[40] = 3;   // month
    d[41] = 24;  // year - 2000
    d[42] = static_cast<std::uint8_t>((i / 3600) % 24);
    d[43] = 15;  // day
    d[44] = static_cast<std::uint8_t>(i % 60);
    d[45] = static_cast<std::uint8_t>((i / 60) % 60);
  });
  r.frames[kFrameM2] = answer(kM2Block, [&](Bytes& d) {
    for (int k = 0; k < 6; ++k) {
      d[static_cast<std::size_t>(2 + k)] = static_cast<std::uint8_t>(40 + k);
      const std::size_t base = static_cast<std::size_t>(8 + 16 * k);
      putFloat(d, base, 12.5f + t * 0.01f);
      putFloat(d, base + 4, 250.25f);
      putFloat(d, base + 8, 1.2345f);
      putFloat(d, base + 12, 1481.0f);
    }
  });
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  long records = 100000;
  int chords = 6;
  std::string keep;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--chords" && i + 1 < argc) {
      chords = std::atoi(argv[++i]);
    } else if (a == "--keep" && i + 1 < argc) {
      keep = argv[++i];
    } else if (!a.empty() && a[0] != '-') {
      records = std::atol(a.c_str());
    } else {
      std::fprintf(stderr, "usage: %s [RECORDS] [--chords N] [--keep DIR]\n", argv[0]);
      return 2;
    }
  }

  const std::string dir = keep.empty() ? bench::scratchFolder("flowdesk-bench") : keep;
  if (dir.empty()) return 1;
  const std::string mes = dir + "/big.mes";
  const std::string prn = dir + "/bigmes.prn";

  // The source, written in one go (its making is not what is measured).
  Bytes bytes = measurementHeaderBytes({});
  for (long i = 0; i < records; ++i) {
    const MeasurementRecord r = recordAt(i, chords);
    for (const Bytes& frame : r.frames) bytes.insert(bytes.end(), frame.begin(), frame.end());
  }
  if (!createRecording(mes, bytes).ok()) {
    std::fprintf(stderr, "cannot write %s\n", mes.c_str());
    return 1;
  }

  RegionalSettings regional;
  regional.decimalSeparator = ",";
  MeasurementConversionSource source(regional);
  const int status =
      bench::timeConversion(source, mes, prn, records, "(" + std::to_string(chords) + " chords)",
                            "under 3 s for 100000 records");
  if (keep.empty()) std::filesystem::remove_all(dir);
  return status;
}
