// SPDX-License-Identifier: GPL-3.0-or-later
// The special-probe file reader (".csp540") on arbitrary files: parsed from
// memory and from disk, shown, and written back.
#include <cstddef>
#include <cstdint>
#include <sstream>

#include "FuzzSupport.h"
#include "cli/FileShow.h"
#include "config/SpecialProbeFile.h"

using namespace flowdesk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SpecialProbe fromMemory;
  SpecialProbe fromDisk;
  if (!fuzz::readParameterFile("input.csp540", data, size, parseSpecialProbeFile,
                               readSpecialProbeFile, fromMemory, fromDisk)) {
    return 0;
  }
  const std::string path = fuzz::scratch().file("input.csp540");

  FUZZ_CHECK(fromDisk == fromMemory);
  FUZZ_CHECK(utf8Length(fromDisk.name) <= kSpecialProbeNameBytes);

  // Saved unchanged, the ten bytes come back as they were, except what
  // follows the name's first zero byte.
  const Bytes again = specialProbeFileBytes(fromDisk);
  FUZZ_CHECK(again.size() == kSpecialProbeFileBytes);
  FUZZ_CHECK(std::equal(again.begin() + kSpecialProbeNameBytes, again.end(),
                        data + kSpecialProbeNameBytes));
  SpecialProbe reread;
  FUZZ_CHECK(parseSpecialProbeFile(again, path, reread).ok());
  FUZZ_CHECK(reread == fromDisk);
  return 0;
}
