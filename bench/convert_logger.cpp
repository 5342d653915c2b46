// SPDX-License-Identifier: GPL-3.0-or-later
// Converting a full 9-parameter logger file to spreadsheet text, as the
// conversion screen and `flowdesk-cli convert` do: record by record, each
// line appended to the text file as it is made. Prints the records, the lines
// written and the time taken (bar: 65,535 records under 2 s).
//
//   bench_convert_logger [RECORDS] [--keep DIR]
//
// RECORDS defaults to 65535, the most a logger's record counter reaches.
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
#include "logger/LoggerConversion.h"
#include "logger/LoggerFile.h"

namespace {

using namespace flowdesk;

void putBe32(Bytes& data, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) data[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// Stored record i of a 62-byte logger: a second further on each time, a
// moving flow, real values, an integer total and a status word.
Bytes storedAt(long i) {
  Bytes r(kLoggerStoredPrefix + kLoggerRecordSize9, 0);
  r[0] = 1;
  r[1] = 4;
  r[2] = static_cast<std::uint8_t>(kLoggerRecordSize9);
  std::uint8_t* rec = r.data() + kLoggerStoredPrefix;
  rec[0] = 12;
  rec[1] = static_cast<std::uint8_t>(0x10 | (1 + (i / 86400) % 12));
  rec[2] = 24;
  rec[3] = static_cast<std::uint8_t>(1 + (i / 3600) % 28);
  rec[4] = static_cast<std::uint8_t>((i / 3600) % 24);
  rec[5] = static_cast<std::uint8_t>((i / 60) % 60);
  rec[6] = static_cast<std::uint8_t>(i % 60);
  putBe32(r, kLoggerStoredPrefix + 8, std::bit_cast<std::uint32_t>(123.456f + 0.01f * i));
  rec[12] = 95;
  for (int s = 0; s < kLoggerMaxSlots; ++s) {
    const std::size_t at = kLoggerStoredPrefix + kLoggerSlotOffset + kLoggerSlotSize * s;
    if (s == 0) {  // Tot1 as an integer
      r[at] = 1;
      putBe32(r, at + 1, static_cast<std::uint32_t>(100000 + i));
      r[at + 5] = 0x80 | 100;
    } else if (s == 1) {  // the status word
      r[at] = 0xC0 | 20;
      r[at + 4] = static_cast<std::uint8_t>(i & 0x1F);
    } else {
      r[at] = static_cast<std::uint8_t>(7 + s);
      putBe32(r, at + 1, std::bit_cast<std::uint32_t>(1.5f * s + 0.001f * i));
      r[at + 5] = 80;
    }
  }
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  long records = 65535;
  std::string keep;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--keep" && i + 1 < argc) {
      keep = argv[++i];
    } else if (!a.empty() && a[0] != '-') {
      records = std::atol(a.c_str());
    } else {
      std::fprintf(stderr, "usage: %s [RECORDS] [--keep DIR]\n", argv[0]);
      return 2;
    }
  }

  const std::string dir = keep.empty() ? bench::scratchFolder("flowdesk-bench") : keep;
  if (dir.empty()) return 1;
  const std::string log = dir + "/big.log";
  const std::string prn = dir + "/biglog.prn";

  // The source, written in one go (its making is not what is measured).
  Bytes bytes;
  putLe16(bytes, static_cast<std::uint16_t>(kLoggerStoredPrefix + kLoggerRecordSize9));
  for (long i = 0; i < records; ++i) {
    const Bytes r = storedAt(i);
    bytes.insert(bytes.end(), r.begin(), r.end());
  }
  if (!createRecording(log, bytes).ok()) {
    std::fprintf(stderr, "cannot write %s\n", log.c_str());
    return 1;
  }

  RegionalSettings regional;
  regional.decimalSeparator = ",";
  LoggerConversionSource source(regional, kEnglish);
  const int status = bench::timeConversion(source, log, prn, records, "(9 parameters)",
                                           "under 2 s for 65535 records");
  if (keep.empty()) std::filesystem::remove_all(dir);
  return status;
}
