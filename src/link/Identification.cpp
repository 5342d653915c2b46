// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Identification.h"

#include <algorithm>

#include "link/BlockMaps.h"
#include "link/Blocks.h"
#include "link/FieldMap.h"
#include "link/IdentificationParse.h"

namespace flowdesk {
namespace {

int readBlock(JbusMaster& master, const RegisterBlock& block) {
  master.buildRequest(3, block.firstRegister, block.count);
  return master.exchange(master.RequestFrame.data(), 6);
}

}  // namespace

int IdentificationRead(JbusMaster& master, DeviceImage& image, IdentificationCache& cache) {
  // The caller has its own request waiting in the shared frame. It is put
  // back even when a read fails: a caller that retries with the frame it
  // built must not send one of these reads instead (a write would turn into
  // a read of the wrong block).
  const auto saved = master.RequestFrame;
  struct Restore {
    JbusMaster& m;
    const std::array<std::uint8_t, JbusMaster::kFrameSize>& frame;
    ~Restore() { m.RequestFrame = frame; }
  } restore{master, saved};

  // Everything is learnt into a copy and kept only when all three reads
  // succeed, so a unit that stops answering halfway cannot leave a catalogue
  // that is half its own and half the previous one.
  IdentificationCache learnt = cache;
  if (readBlock(master, kCatalogueLowBlock) != 0) return -1;
  parseCatalogueLow(master.replyData(), learnt.probes);
  if (readBlock(master, kCatalogueHighBlock) != 0) return -1;
  parseCatalogueHigh(master.replyData(), learnt);
  if (readBlock(master, kFactoryBlock) != 0) return -1;
  decodeReply(factoryMap(image), master.replyData());
  applySpecialProbeWords(image, learnt);

  cache = learnt;
  master.identificationDone = true;
  return 0;
}

}  // namespace flowdesk
