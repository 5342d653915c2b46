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
  const std::string path = fuzz::writeScratch("input.csp540", data, size);
  SpecialProbe fromMemory;
  const FileResult parsed =
      parseSpecialProbeFile(std::span<const std::uint8_t>(data, size), path, fromMemory);
  SpecialProbe fromDisk;
  const FileResult read = readSpecialProbeFile(path, fromDisk);
  FUZZ_CHECK(parsed.status == read.status);

  std::ostringstream shown;
  const FileResult show = showFile(path, static_cast<int>(size & 1), RegionalSettings{}, shown);
  FUZZ_CHECK(show.status == read.status);
  if (!read.ok()) {
    FUZZ_CHECK(!read.message(0).empty() && !read.message(1).empty());
    FUZZ_CHECK(shown.str().empty());
    return 0;
  }

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
