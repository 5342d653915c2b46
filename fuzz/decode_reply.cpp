// SPDX-License-Identifier: GPL-3.0-or-later
// Every block's FieldMap decoding arbitrary reply bytes into the image, the
// fields then shown as the screens show them; the identification reads parse
// the same bytes as catalogue data.
//
// Input: the data bytes of a reply (what follows address, function and byte
// count). Each map decodes them twice: bounded by the input's length, and
// from a whole reply buffer as a screen does after a successful read.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "FuzzSupport.h"
#include "link/BlockMaps.h"
#include "link/DeviceImage.h"
#include "link/FieldMap.h"
#include "link/IdentificationParse.h"
#include "link/JbusMaster.h"

using namespace flowdesk;

namespace {

struct Maps {
  DeviceImage image;
  std::vector<FieldMap> all;
  Maps() {
    all = {s1Map(image),
           s2Map(image),
           m1Map(image),
           m2Map(image),
           configurationMap(image),
           factoryMap(image),
           clockMap(image),
           echoCommandMap(image),
           loggerSettingsMap(image),
           makerMap(image)};
  }
};

Maps& maps() {
  static Maps* m = new Maps;
  return *m;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The reply buffer as the master leaves it: data from byte 3, zeros after
  // what arrived.
  std::array<std::uint8_t, JbusMaster::kFrameSize> frame{};
  const std::size_t copied = std::min(size, frame.size() - 3);
  if (copied > 0) std::memcpy(frame.data() + 3, data, copied);
  const std::uint8_t* replyData = frame.data() + 3;

  for (const FieldMap& map : maps().all) {
    FUZZ_CHECK(map.byteCount <= frame.size() - 3);
    FUZZ_CHECK(map.byteCount <= kRequestDataSize);
    decodeReply(map, data, size);
    fuzz::showDecodedFields(map);
    decodeReply(map, replyData);
    fuzz::showDecodedFields(map);

    // What the image encodes to must decode back to itself: a block read,
    // left alone and written again may not change, and a screen must not see
    // a modification nobody made.
    std::array<std::uint8_t, kRequestDataSize> encoded{};
    encodeRequest(map, encoded.data());
    decodeReply(map, encoded.data());
    if (blockModified(map, encoded.data())) {
      std::array<std::uint8_t, kRequestDataSize> again{};
      encodeRequest(map, again.data());
      for (std::size_t i = 0; i < map.byteCount; ++i) {
        if (again[i] != encoded[i]) {
          std::fprintf(stderr, "map %zu, byte %zu: %02X encodes again as %02X\n",
                       static_cast<std::size_t>(&map - maps().all.data()), i, encoded[i], again[i]);
        }
      }
      FUZZ_CHECK(!"a block encoded from the image decodes to another image");
    }
  }

  IdentificationCache cache;
  parseCatalogueLow(replyData, cache.probes);
  parseCatalogueHigh(replyData, cache);
  for (const ProbeEntry& probe : cache.probes) {
    FUZZ_CHECK(utf8Length(probe.name) <= 8);
    std::uint8_t record[kProbeRecordSize];
    encodeProbeRecord(probe, record);
    const ProbeEntry back = decodeProbeRecord(record);
    FUZZ_CHECK(back.name == probe.name && back.angle == probe.angle);
  }
  applySpecialProbeWords(maps().image, cache);
  return 0;
}
